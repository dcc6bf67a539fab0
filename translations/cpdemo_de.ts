<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AllDayDelegate</name>
    <message>
        <source>%1 (all day)</source>
        <translation>%1 (ganztägig)</translation>
    </message>
</context>
<context>
    <name>BackupHealthCheck</name>
    <message>
        <source>Damaged: Manifest.db, the backup&apos;s index of files, is cut short or corrupt</source>
        <translation>Beschädigt: Manifest.db, das Dateiverzeichnis des Backups, ist abgeschnitten oder fehlerhaft</translation>
    </message>
    <message>
        <source>Damaged: Manifest.db, the backup&apos;s index of files, is not a database</source>
        <translation>Beschädigt: Manifest.db, das Dateiverzeichnis des Backups, ist keine Datenbank</translation>
    </message>
    <message>
        <source>Damaged: Manifest.db, the backup&apos;s index of files, cannot be read (%1)</source>
        <translation>Beschädigt: Manifest.db, das Dateiverzeichnis des Backups, kann nicht gelesen werden (%1)</translation>
    </message>
    <message>
        <source>Damaged: Manifest.db, the backup&apos;s index of files, is missing</source>
        <translation>Beschädigt: Manifest.db, das Dateiverzeichnis des Backups, fehlt</translation>
    </message>
    <message>
        <source>Damaged: Manifest.db, the backup&apos;s index of files, has no list of files</source>
        <translation>Beschädigt: Manifest.db, das Dateiverzeichnis des Backups, enthält keine Dateiliste</translation>
    </message>
    <message>
        <source>Make a new backup of the phone, or open another backup.</source>
        <translation>Erstellen Sie ein neues Backup des Telefons oder öffnen Sie ein anderes Backup.</translation>
    </message>
</context>
<context>
    <name>BackupSummary</name>
    <message>
        <source>The folder does not exist</source>
        <translation>Der Ordner existiert nicht</translation>
    </message>
    <message>
        <source>Not a backup: there is no Info.plist or Manifest.plist</source>
        <translation>Kein Backup: Info.plist und Manifest.plist fehlen</translation>
    </message>
    <message>
        <source>Damaged: %1 is missing</source>
        <translation>Beschädigt: %1 fehlt</translation>
    </message>
    <message>
        <source>Damaged: %1 cannot be read</source>
        <translation>Beschädigt: %1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Damaged: the backup did not finish (state &quot;%1&quot;)</source>
        <translation>Beschädigt: Das Backup wurde nicht abgeschlossen (Status „%1“)</translation>
    </message>
    <message>
        <source>iOS %1</source>
        <translation>iOS %1</translation>
    </message>
    <message>
        <source>encrypted</source>
        <translation>verschlüsselt</translation>
    </message>
    <message>
        <source>%1 (sample)</source>
        <translation>%1 (Beispiel)</translation>
    </message>
</context>
<context>
    <name>CategoryOverview</name>
    <message>
        <source>1 item</source>
        <translation>1 Eintrag</translation>
    </message>
    <message>
        <source>%1 items</source>
        <translation>%1 Einträge</translation>
    </message>
    <message>
        <source>Scan All</source>
        <translation>Alle scannen</translation>
    </message>
    <message>
        <source>Scan every category in the background</source>
        <translation>Alle Kategorien im Hintergrund scannen</translation>
    </message>
    <message>
        <source>%p% of all categories</source>
        <translation>%p % aller Kategorien</translation>
    </message>
    <message>
        <source>not scanned</source>
        <translation>nicht gescannt</translation>
    </message>
    <message>
        <source>scanning ... %1%</source>
        <translation>Scan läuft ... %1 %</translation>
    </message>
    <message>
        <source>could not be read</source>
        <translation>konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>%1 deleted</source>
        <translation>%1 gelöscht</translation>
    </message>
</context>
<context>
    <name>DeletedMarkDelegate</name>
    <message>
        <source>Deleted</source>
        <translation>Gelöscht</translation>
    </message>
    <message>
        <source>Deleted on the phone; recoverable from this backup</source>
        <translation>Auf dem Telefon gelöscht; aus diesem Backup wiederherstellbar</translation>
    </message>
    <message>
        <source>%1
Deleted on the phone; recoverable from this backup</source>
        <translation>%1
Auf dem Telefon gelöscht; aus diesem Backup wiederherstellbar</translation>
    </message>
</context>
<context>
    <name>DemoHostWindow</name>
    <message>
        <source>%1, iOS %2. Scanning a category first backs the phone up into %3.</source>
        <translation>%1, iOS %2. Beim Scannen einer Kategorie wird das Telefon zuerst nach %3 gesichert.</translation>
    </message>
    <message>
        <source>%1 is open. Double-click a category, or scan all: the phone is backed up first.</source>
        <translation>%1 ist geöffnet. Doppelklicken Sie auf eine Kategorie oder scannen Sie alle: Das Telefon wird zuerst gesichert.</translation>
    </message>
    <message>
        <source>Backup explorer</source>
        <translation>Backup-Explorer</translation>
    </message>
    <message>
        <source>No backup open</source>
        <translation>Kein Backup geöffnet</translation>
    </message>
    <message>
        <source>Choose a backup in the list, or File &gt; Open Backup Folder...</source>
        <translation>Wählen Sie ein Backup in der Liste oder über Datei &gt; Backup-Ordner öffnen ...</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open Backup Folder...</source>
        <translation>Backup-Ordner ö&amp;ffnen ...</translation>
    </message>
    <message>
        <source>&amp;Refresh Backup List</source>
        <translation>Backup-Liste &amp;aktualisieren</translation>
    </message>
    <message>
        <source>Output &amp;Folder...</source>
        <translation>&amp;Zielordner ...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Open &amp;Log</source>
        <translation>&amp;Protokoll öffnen</translation>
    </message>
    <message>
        <source>%1 backup folder(s) listed. Double-click one to open it.</source>
        <translation>%1 Backup-Ordner aufgelistet. Doppelklicken Sie auf einen, um ihn zu öffnen.</translation>
    </message>
    <message>
        <source>No backup found. Use File &gt; Open Backup Folder... to choose one.</source>
        <translation>Kein Backup gefunden. Wählen Sie eines über Datei &gt; Backup-Ordner öffnen ...</translation>
    </message>
    <message>
        <source>Looking for backups ...</source>
        <translation>Backups werden gesucht ...</translation>
    </message>
    <message>
        <source>Backups found in %1 are listed.</source>
        <translation>Die in %1 gefundenen Backups sind aufgelistet.</translation>
    </message>
    <message>
        <source>Backup explorer - %1</source>
        <translation>Backup-Explorer – %1</translation>
    </message>
    <message>
        <source>%1 is open. Double-click a category, or scan all.</source>
        <translation>%1 ist geöffnet. Doppelklicken Sie auf eine Kategorie oder scannen Sie alle.</translation>
    </message>
    <message>
        <source>The backup is encrypted and no password was given.</source>
        <translation>Das Backup ist verschlüsselt, und es wurde kein Passwort angegeben.</translation>
    </message>
    <message>
        <source>The backup stays locked: its categories cannot be read.</source>
        <translation>Das Backup bleibt gesperrt: Seine Kategorien können nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Checking the backup password ...</source>
        <translation>Das Backup-Passwort wird geprüft ...</translation>
    </message>
    <message>
        <source>Wrong password</source>
        <translation>Falsches Passwort</translation>
    </message>
    <message>
        <source>The backup&apos;s keys are damaged: %1</source>
        <translation>Die Schlüssel des Backups sind beschädigt: %1</translation>
    </message>
    <message>
        <source>The backup is unlocked. Double-click a category to scan it.</source>
        <translation>Das Backup ist entsperrt. Doppelklicken Sie auf eine Kategorie, um sie zu scannen.</translation>
    </message>
    <message>
        <source>Open Backup Folder</source>
        <translation>Backup-Ordner öffnen</translation>
    </message>
    <message>
        <source>%1: the scan could not start</source>
        <translation>%1: Der Scan konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>Scanning %1 ...</source>
        <translation>Scan läuft: %1 ...</translation>
    </message>
    <message>
        <source>Every category is scanned.</source>
        <translation>Alle Kategorien sind gescannt.</translation>
    </message>
    <message>
        <source>All categories scanned: %1 items, %2 deleted</source>
        <translation>Alle Kategorien gescannt: %1 Einträge, davon %2 gelöscht</translation>
    </message>
    <message>
        <source>Output Folder</source>
        <translation>Zielordner</translation>
    </message>
    <message>
        <source>Recovered data goes to %1</source>
        <translation>Wiederhergestellte Daten werden in %1 gespeichert</translation>
    </message>
    <message>
        <source>%1 closed</source>
        <translation>%1 geschlossen</translation>
    </message>
    <message>
        <source>%1: the operation failed</source>
        <translation>%1: Der Vorgang ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>%1: %2 file(s), %3, written to %4</source>
        <translation>%1: %2 Datei(en), %3, gespeichert in %4</translation>
    </message>
    <message>
        <source>Last recovery: %1 file(s), %2</source>
        <translation>Letzte Wiederherstellung: %1 Datei(en), %2</translation>
    </message>
    <message>
        <source>%1: %2 item(s) found, %3 deleted</source>
        <translation>%1: %2 gefunden, davon %3 gelöscht</translation>
    </message>
    <message>
        <source>%1: the scan ended without data (status %2)</source>
        <translation>%1: Der Scan endete ohne Daten (Status %2)</translation>
    </message>
    <message>
        <source>Scanning %1 ... %2%</source>
        <translation>Scan läuft: %1 ... %2 %</translation>
    </message>
    <message>
        <source>%1, %2 damaged record(s) skipped</source>
        <translation>%1, übersprungene beschädigte Datensätze: %2</translation>
    </message>
    <message>
        <source>No file manager could be started. The folder is %1</source>
        <translation>Es konnte kein Dateimanager gestartet werden. Der Ordner ist %1</translation>
    </message>
    <message>
        <source>%1 recovered to a device</source>
        <translation>%1 auf ein Gerät wiederhergestellt</translation>
    </message>
    <message>
        <source>Scan All stopped: the backup could not be read</source>
        <translation>„Alle scannen“ wurde beendet: Das Backup konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>%1: the backup could not be read</source>
        <translation>%1: Das Backup konnte nicht gelesen werden</translation>
    </message>
</context>
<context>
    <name>DemoPageFactory</name>
    <message>
        <source>Photos</source>
        <translation>Fotos</translation>
    </message>
    <message>
        <source>Contacts</source>
        <translation>Kontakte</translation>
    </message>
    <message>
        <source>Message Attachments</source>
        <translation>Nachrichtenanhänge</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Nachrichten</translation>
    </message>
    <message>
        <source>Call History</source>
        <translation>Anrufliste</translation>
    </message>
    <message>
        <source>Calendar</source>
        <translation>Kalender</translation>
    </message>
    <message>
        <source>Note Attachments</source>
        <translation>Notizanhänge</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Voice Memos</source>
        <translation>Sprachmemos</translation>
    </message>
    <message>
        <source>Safari Bookmarks</source>
        <translation>Safari-Lesezeichen</translation>
    </message>
    <message>
        <source>WhatsApp Attachments</source>
        <translation>WhatsApp-Anhänge</translation>
    </message>
    <message>
        <source>WhatsApp Messages</source>
        <translation>WhatsApp-Nachrichten</translation>
    </message>
    <message>
        <source>WeChat Contacts</source>
        <translation>WeChat-Kontakte</translation>
    </message>
    <message>
        <source>WeChat Attachments</source>
        <translation>WeChat-Anhänge</translation>
    </message>
    <message>
        <source>WeChat Messages</source>
        <translation>WeChat-Nachrichten</translation>
    </message>
    <message>
        <source>Reminders</source>
        <translation>Erinnerungen</translation>
    </message>
    <message>
        <source>Close this page</source>
        <translation>Diese Seite schließen</translation>
    </message>
</context>
<context>
    <name>DemoPhotoPage</name>
    <message>
        <source>Select all</source>
        <translation>Alle auswählen</translation>
    </message>
    <message>
        <source>Show all files</source>
        <translation>Alle Dateien anzeigen</translation>
    </message>
    <message>
        <source>Group by day</source>
        <translation>Nach Tag gruppieren</translation>
    </message>
    <message>
        <source>No items match</source>
        <translation>Keine passenden Einträge</translation>
    </message>
</context>
<context>
    <name>DemoTablePage</name>
    <message>
        <source>No items match</source>
        <translation>Keine passenden Einträge</translation>
    </message>
</context>
<context>
    <name>DetailFormatter</name>
    <message>
        <source>... %1 more</source>
        <translation>... %1 weitere</translation>
    </message>
    <message>
        <source>Deleted, found in %1</source>
        <translation>Gelöscht, Fundort: %1</translation>
    </message>
    <message>
        <source>Deleted</source>
        <translation>Gelöscht</translation>
    </message>
    <message>
        <source>freeblock</source>
        <translation>Freeblock</translation>
    </message>
    <message>
        <source>unallocated</source>
        <translation>nicht zugeordneter Bereich</translation>
    </message>
    <message>
        <source>freelist</source>
        <translation>Freelist</translation>
    </message>
    <message>
        <source>dropped table</source>
        <translation>gelöschte Tabelle</translation>
    </message>
    <message>
        <source>overflow</source>
        <translation>Überlaufseite</translation>
    </message>
    <message>
        <source>WAL</source>
        <translation>WAL</translation>
    </message>
    <message>
        <source>journal</source>
        <translation>Journal</translation>
    </message>
    <message>
        <source>change log</source>
        <translation>Änderungsprotokoll</translation>
    </message>
    <message>
        <source>full-text index</source>
        <translation>Volltextindex</translation>
    </message>
    <message>
        <source>leftover values</source>
        <translation>verbliebene Werte</translation>
    </message>
    <message>
        <source>recently deleted</source>
        <translation>zuletzt gelöscht</translation>
    </message>
    <message>
        <source>Recently Deleted folder</source>
        <translation>Ordner „Zuletzt gelöscht“</translation>
    </message>
    <message>
        <source>recently deleted album</source>
        <translation>Album „Zuletzt gelöscht“</translation>
    </message>
    <message>
        <source>marked for deletion</source>
        <translation>zum Löschen markiert</translation>
    </message>
    <message>
        <source>marked deleted</source>
        <translation>als gelöscht markiert</translation>
    </message>
    <message>
        <source>Me</source>
        <translation>Ich</translation>
    </message>
</context>
<context>
    <name>FailureNotice</name>
    <message>
        <source>Dismiss this message</source>
        <translation>Diese Meldung schließen</translation>
    </message>
</context>
<context>
    <name>FirstTickRule</name>
    <message numerus="yes">
        <source>The %n deleted item(s) are ticked first; tick any others you want to recover too.</source>
        <translation>
            <numerusform>Das %n gelöschte Element ist vorab angehakt; haken Sie weitere an, die Sie ebenfalls wiederherstellen möchten.</numerusform>
            <numerusform>Die %n gelöschten Elemente sind vorab angehakt; haken Sie weitere an, die Sie ebenfalls wiederherstellen möchten.</numerusform>
        </translation>
    </message>
    <message>
        <source>No deleted items were found, so nothing is ticked: tick the items you want to recover.</source>
        <translation>Es wurden keine gelöschten Elemente gefunden, daher ist nichts angehakt: Haken Sie die Elemente an, die Sie wiederherstellen möchten.</translation>
    </message>
</context>
<context>
    <name>HostFailures</name>
    <message>
        <source>The backup is encrypted and locked: its categories can be read once you enter its password.</source>
        <translation>Das Backup ist verschlüsselt und gesperrt: Seine Kategorien lassen sich lesen, sobald Sie sein Passwort eingeben.</translation>
    </message>
    <message>
        <source>Unlock...</source>
        <translation>Entsperren ...</translation>
    </message>
    <message>
        <source>it cannot be read</source>
        <translation>es kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>%1: %2. %3</source>
        <translation>%1: %2. %3</translation>
    </message>
    <message>
        <source>Open Another Backup...</source>
        <translation>Anderes Backup öffnen ...</translation>
    </message>
    <message>
        <source>Choose Another Folder...</source>
        <translation>Anderen Ordner wählen ...</translation>
    </message>
    <message>
        <source>The backup could not be read, so the scan stopped. %1</source>
        <translation>Das Backup konnte nicht gelesen werden, daher wurde der Scan beendet. %1</translation>
    </message>
    <message>
        <source>Open Log</source>
        <translation>Protokoll öffnen</translation>
    </message>
</context>
<context>
    <name>HostStatusBar</name>
    <message>
        <source>Open Folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>Open the folder the last recovery wrote into</source>
        <translation>Den Ordner der letzten Wiederherstellung öffnen</translation>
    </message>
    <message>
        <source>1 damaged record was skipped</source>
        <translation>1 beschädigter Datensatz wurde übersprungen</translation>
    </message>
    <message>
        <source>%1 damaged records were skipped</source>
        <translation>%1 beschädigte Datensätze wurden übersprungen</translation>
    </message>
</context>
<context>
    <name>HostWording</name>
    <message>
        <source>Oops! It seems you haven&apos;t chosen any data to recover.&lt;br&gt; Please tick the check boxes, then click the Recover to computer button&lt;br&gt; (the first one).</source>
        <translation>Hoppla! Sie haben anscheinend keine Daten zum Wiederherstellen ausgewählt.&lt;br&gt; Bitte setzen Sie Häkchen und klicken Sie dann auf die Schaltfläche „Auf Computer wiederherstellen“&lt;br&gt; (die erste).</translation>
    </message>
    <message>
        <source>Oops! It seems you haven&apos;t chosen any data to recover.&lt;br&gt; Please tick the check boxes, then click the Recover to device button&lt;br&gt; (the second one).</source>
        <translation>Hoppla! Sie haben anscheinend keine Daten zum Wiederherstellen ausgewählt.&lt;br&gt; Bitte setzen Sie Häkchen und klicken Sie dann auf die Schaltfläche „Auf Gerät wiederherstellen“&lt;br&gt; (die zweite).</translation>
    </message>
</context>
<context>
    <name>PasswordDialog</name>
    <message>
        <source>Encrypted backup</source>
        <translation>Verschlüsseltes Backup</translation>
    </message>
    <message>
        <source>The backup of &quot;%1&quot; is encrypted. Enter its backup password to open it.</source>
        <translation>Das Backup von „%1“ ist verschlüsselt. Geben Sie das Backup-Passwort ein, um es zu öffnen.</translation>
    </message>
    <message>
        <source>Wrong password</source>
        <translation>Falsches Passwort</translation>
    </message>
    <message>
        <source>The backup&apos;s keys are damaged (backup error 3).</source>
        <translation>Die Schlüssel des Backups sind beschädigt (Backup-Fehler 3).</translation>
    </message>
    <message>
        <source>Unlock</source>
        <translation>Entsperren</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>PhoneCaptureBar</name>
    <message>
        <source>Backup of %1 complete</source>
        <translation>Backup von %1 abgeschlossen</translation>
    </message>
    <message>
        <source>Backup of %1 stopped</source>
        <translation>Backup von %1 angehalten</translation>
    </message>
    <message>
        <source>Backup of %1 failed (error %2)</source>
        <translation>Backup von %1 fehlgeschlagen (Fehler %2)</translation>
    </message>
    <message>
        <source>&quot;Trust This Computer?&quot; is showing on %1</source>
        <translation>%1 zeigt &quot;Diesem Computer vertrauen?&quot;</translation>
    </message>
    <message>
        <source>Unlock %1 with its passcode</source>
        <translation>Entsperren Sie %1 mit seinem Code</translation>
    </message>
    <message>
        <source>Backing up %1 ... %2%</source>
        <translation>Backup von %1 ... %2%</translation>
    </message>
    <message>
        <source>%1 prepares its backup ...</source>
        <translation>%1 bereitet sein Backup vor ...</translation>
    </message>
</context>
<context>
    <name>PhoneListWidget</name>
    <message>
        <source>&lt;b&gt;Connected phones&lt;/b&gt;</source>
        <translation>&lt;b&gt;Verbundene Telefone&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Double-click a phone to back it up and scan it</source>
        <translation>Doppelklicken Sie auf ein Telefon, um es zu sichern und zu scannen</translation>
    </message>
    <message>
        <source>Try Again</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>TEST PHONE (simulated): %1</source>
        <translation>TESTTELEFON (simuliert): %1</translation>
    </message>
    <message>
        <source>iOS %1</source>
        <translation>iOS %1</translation>
    </message>
    <message>
        <source>trusted</source>
        <translation>vertraut</translation>
    </message>
    <message>
        <source>not trusted yet</source>
        <translation>noch nicht vertraut</translation>
    </message>
    <message>
        <source>No phone connected. Plug one in with its cable.</source>
        <translation>Kein Telefon verbunden. Schließen Sie eines mit seinem Kabel an.</translation>
    </message>
    <message>
        <source>Connecting to the phone ...</source>
        <translation>Verbindung zum Telefon ...</translation>
    </message>
    <message>
        <source>Unlock the phone with its passcode: it asks &quot;Trust This Computer?&quot; once it is unlocked.</source>
        <translation>Entsperren Sie das Telefon mit seinem Code: Danach fragt es &quot;Diesem Computer vertrauen?&quot;.</translation>
    </message>
    <message>
        <source>The phone shows &quot;Trust This Computer?&quot;. Tap &quot;Trust&quot; on the phone and enter its passcode; this computer waits.</source>
        <translation>Das Telefon zeigt &quot;Diesem Computer vertrauen?&quot;. Tippen Sie auf dem Telefon auf &quot;Vertrauen&quot; und geben Sie seinen Code ein; dieser Computer wartet.</translation>
    </message>
</context>
<context>
    <name>PhonePairingTask</name>
    <message>
        <source>The phone trusts this computer.</source>
        <translation>Das Telefon vertraut diesem Computer.</translation>
    </message>
    <message>
        <source>The phone answered &quot;Don&apos;t Trust&quot;. To try again, unplug it, plug it back in and choose &quot;Trust&quot; this time.</source>
        <translation>Das Telefon hat &quot;Nicht vertrauen&quot; geantwortet. Um es erneut zu versuchen, trennen Sie es, schließen Sie es wieder an und wählen Sie diesmal &quot;Vertrauen&quot;.</translation>
    </message>
    <message>
        <source>Nobody answered &quot;Trust This Computer?&quot; on the phone in time.</source>
        <translation>Niemand hat &quot;Diesem Computer vertrauen?&quot; auf dem Telefon rechtzeitig beantwortet.</translation>
    </message>
    <message>
        <source>The phone could not be paired.</source>
        <translation>Das Telefon konnte nicht gekoppelt werden.</translation>
    </message>
</context>
<context>
    <name>RecoveryFailure</name>
    <message>
        <source>no folder was chosen</source>
        <translation>es wurde kein Ordner gewählt</translation>
    </message>
    <message>
        <source>cannot write into %1: %2</source>
        <translation>in %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>it is a file, not a folder</source>
        <translation>das ist eine Datei, kein Ordner</translation>
    </message>
    <message>
        <source>the disk is read-only</source>
        <translation>der Datenträger ist schreibgeschützt</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>der Datenträger ist voll</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>keine Schreibberechtigung</translation>
    </message>
    <message>
        <source>%1: the recovery to the phone failed; the phone was left as it was. Unlock it, keep it connected and try again. The log has the details (Help &gt; Open Log).</source>
        <translation>%1: Die Wiederherstellung auf das Telefon ist fehlgeschlagen; das Telefon blieb unverändert. Entsperren Sie es, lassen Sie es verbunden und versuchen Sie es erneut. Details stehen im Protokoll (Hilfe &gt; Protokoll öffnen).</translation>
    </message>
    <message>
        <source>%1: the recovery failed: %2</source>
        <translation>%1: Die Wiederherstellung ist fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>%1: the recovery to %2 failed. %3</source>
        <translation>%1: Die Wiederherstellung nach %2 ist fehlgeschlagen. %3</translation>
    </message>
    <message>
        <source>%1: the recovery to %2 failed: %3</source>
        <translation>%1: Die Wiederherstellung nach %2 ist fehlgeschlagen: %3</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) written before it stopped are complete: %1</source>
        <translation>
            <numerusform>%n Datei, die vor dem Abbruch geschrieben wurde, ist vollständig: %1</numerusform>
            <numerusform>%n Dateien, die vor dem Abbruch geschrieben wurden, sind vollständig: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source> and %n more</source>
        <translation>
            <numerusform> und %n weitere</numerusform>
            <numerusform> und %n weitere</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RemindersPage</name>
    <message>
        <source>No items match</source>
        <translation>Keine passenden Einträge</translation>
    </message>
</context>
<context>
    <name>RemindersTreeModel</name>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Due date</source>
        <translation>Fällig am</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>Priorität</translation>
    </message>
    <message>
        <source>(no list)</source>
        <translation>(keine Liste)</translation>
    </message>
    <message numerus="yes">
        <source>%n reminder(s)</source>
        <translation>
            <numerusform>%n Erinnerung</numerusform>
            <numerusform>%n Erinnerungen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SupportContact</name>
    <message>
        <source>For help, send the files of the log folder (%1) to %2, or see %3.</source>
        <translation>Hilfe erhalten Sie, wenn Sie die Dateien des Protokollordners (%1) an %2 senden, oder unter %3.</translation>
    </message>
    <message>
        <source>For help, send the files of the log folder (%1) to %2.</source>
        <translation>Hilfe erhalten Sie, wenn Sie die Dateien des Protokollordners (%1) an %2 senden.</translation>
    </message>
    <message>
        <source>For help, see %1; the log folder (%2) has the details.</source>
        <translation>Hilfe finden Sie unter %1; Einzelheiten stehen im Protokollordner (%2).</translation>
    </message>
    <message>
        <source>The log folder (%1) has the details; the Troubleshooting section of the README says what to try next.</source>
        <translation>Einzelheiten stehen im Protokollordner (%1); der Abschnitt „Troubleshooting“ der README sagt, was Sie als Nächstes versuchen können.</translation>
    </message>
</context>
<context>
    <name>WeChatAccountChooser</name>
    <message>
        <source>Account %1</source>
        <translation>Konto %1</translation>
    </message>
</context>
<context>
    <name>WeChatContactsPage</name>
    <message>
        <source>Group</source>
        <translation>Gruppe</translation>
    </message>
    <message>
        <source>Official account</source>
        <translation>Offizielles Konto</translation>
    </message>
    <message>
        <source>Person</source>
        <translation>Person</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>WeChat ID</source>
        <translation>WeChat-ID</translation>
    </message>
    <message>
        <source>Remark</source>
        <translation>Anmerkung</translation>
    </message>
    <message>
        <source>Region</source>
        <translation>Region</translation>
    </message>
    <message>
        <source>Members</source>
        <translation>Mitglieder</translation>
    </message>
    <message>
        <source>Signature</source>
        <translation>Signatur</translation>
    </message>
</context>
<context>
    <name>PhonePairingTask</name>
    <message>
        <source>The phone trusts this computer.</source>
        <translation>Das Telefon vertraut diesem Computer.</translation>
    </message>
    <message>
        <source>The phone answered &quot;Don't Trust&quot;. To try again, unplug it, plug it back in and choose &quot;Trust&quot; this time.</source>
        <translation>Das Telefon hat &quot;Nicht vertrauen&quot; geantwortet. Um es erneut zu versuchen, trennen Sie es, schließen Sie es wieder an und wählen Sie diesmal &quot;Vertrauen&quot;.</translation>
    </message>
    <message>
        <source>Nobody answered &quot;Trust This Computer?&quot; on the phone in time.</source>
        <translation>Niemand hat &quot;Diesem Computer vertrauen?&quot; auf dem Telefon rechtzeitig beantwortet.</translation>
    </message>
    <message>
        <source>The phone could not be paired.</source>
        <translation>Das Telefon konnte nicht gekoppelt werden.</translation>
    </message>
</context>
<context>
    <name>PhoneListWidget</name>
    <message>
        <source>&lt;b&gt;Connected phones&lt;/b&gt;</source>
        <translation>&lt;b&gt;Verbundene Telefone&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Double-click a phone to back it up and scan it</source>
        <translation>Doppelklicken Sie auf ein Telefon, um es zu sichern und zu scannen</translation>
    </message>
    <message>
        <source>Try Again</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>TEST PHONE (simulated): %1</source>
        <translation>TESTTELEFON (simuliert): %1</translation>
    </message>
    <message>
        <source>iOS %1</source>
        <translation>iOS %1</translation>
    </message>
    <message>
        <source>trusted</source>
        <translation>vertraut</translation>
    </message>
    <message>
        <source>not trusted yet</source>
        <translation>noch nicht vertraut</translation>
    </message>
    <message>
        <source>No phone connected. Plug one in with its cable.</source>
        <translation>Kein Telefon verbunden. Schließen Sie eines mit seinem Kabel an.</translation>
    </message>
    <message>
        <source>Connecting to the phone ...</source>
        <translation>Verbindung zum Telefon ...</translation>
    </message>
    <message>
        <source>Unlock the phone with its passcode: it asks &quot;Trust This Computer?&quot; once it is unlocked.</source>
        <translation>Entsperren Sie das Telefon mit seinem Code: Danach fragt es &quot;Diesem Computer vertrauen?&quot;.</translation>
    </message>
    <message>
        <source>The phone shows &quot;Trust This Computer?&quot;. Tap &quot;Trust&quot; on the phone and enter its passcode; this computer waits.</source>
        <translation>Das Telefon zeigt &quot;Diesem Computer vertrauen?&quot;. Tippen Sie auf dem Telefon auf &quot;Vertrauen&quot; und geben Sie seinen Code ein; dieser Computer wartet.</translation>
    </message>
</context>
<context>
    <name>PhoneCaptureBar</name>
    <message>
        <source>Backup of %1 complete</source>
        <translation>Backup von %1 abgeschlossen</translation>
    </message>
    <message>
        <source>Backup of %1 stopped</source>
        <translation>Backup von %1 angehalten</translation>
    </message>
    <message>
        <source>Backup of %1 failed (error %2)</source>
        <translation>Backup von %1 fehlgeschlagen (Fehler %2)</translation>
    </message>
    <message>
        <source>&quot;Trust This Computer?&quot; is showing on %1</source>
        <translation>%1 zeigt &quot;Diesem Computer vertrauen?&quot;</translation>
    </message>
    <message>
        <source>Unlock %1 with its passcode</source>
        <translation>Entsperren Sie %1 mit seinem Code</translation>
    </message>
    <message>
        <source>Backing up %1 ... %2%</source>
        <translation>Backup von %1 ... %2%</translation>
    </message>
    <message>
        <source>%1 prepares its backup ...</source>
        <translation>%1 bereitet sein Backup vor ...</translation>
    </message>
</context>
<context>
    <name>RecoverySteps</name>
    <message>
        <source>Backing up the phone</source>
        <translation>Sicherung des Telefons</translation>
    </message>
    <message>
        <source>Adding the items</source>
        <translation>Einträge werden hinzugefügt</translation>
    </message>
    <message>
        <source>Checking the backup</source>
        <translation>Backup wird geprüft</translation>
    </message>
    <message>
        <source>Restoring to the phone</source>
        <translation>Rückspielen auf das Telefon</translation>
    </message>
    <message>
        <source>%1: %2%</source>
        <translation>%1: %2 %</translation>
    </message>
</context>
</TS>
