<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CategoryPanel</name>
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
        <source>Notes Attachments</source>
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
        <source>Safari</source>
        <translation>Safari</translation>
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
        <source>You select %1 item(s) in %2 item(s)</source>
        <translation>%1 von %2 Einträgen ausgewählt</translation>
    </message>
    <message>
        <source>&lt;strong&gt;Backup error(error code:%1)&lt;/strong&gt;&lt;br&gt;</source>
        <translation>&lt;strong&gt;Backup-Fehler (Fehlercode: %1)&lt;/strong&gt;&lt;br&gt;</translation>
    </message>
    <message>
        <source>Please send us all files in log folder (Help &gt; Open Log)&lt;br&gt; together with the upper error code to &lt;br&gt;</source>
        <translation>Bitte senden Sie alle Dateien aus dem Protokollordner (Hilfe &gt; Protokoll öffnen)&lt;br&gt; zusammen mit dem obigen Fehlercode an &lt;br&gt;</translation>
    </message>
    <message>
        <source> for help.</source>
        <translation>, um Hilfe zu erhalten.</translation>
    </message>
    <message>
        <source>Please unlock your device with passcodes while scanning.</source>
        <translation>Bitte entsperren Sie Ihr Gerät während des Scans mit Ihrem Code.</translation>
    </message>
    <message>
        <source>&lt;strong&gt;Fail to backup. Please try possible solutions below to fix it:&lt;/strong&gt;&lt;br&gt;&lt;br&gt;</source>
        <translation>&lt;strong&gt;Das Backup ist fehlgeschlagen. Bitte versuchen Sie die folgenden Lösungen:&lt;/strong&gt;&lt;br&gt;&lt;br&gt;</translation>
    </message>
    <message>
        <source>1. Please change to another USB port.&lt;br&gt;</source>
        <translation>1. Verwenden Sie einen anderen USB-Anschluss.&lt;br&gt;</translation>
    </message>
    <message>
        <source>2. Please restart the Mobile device.&lt;br&gt;</source>
        <translation>2. Starten Sie das Mobilgerät neu.&lt;br&gt;</translation>
    </message>
    <message>
        <source>3. Please contact </source>
        <translation>3. Wenden Sie sich an </translation>
    </message>
    <message>
        <source> with all files in log folder&lt;br&gt; (Help &gt; Open Log) for help.</source>
        <translation> und senden Sie alle Dateien aus dem Protokollordner&lt;br&gt; (Hilfe &gt; Protokoll öffnen) mit.</translation>
    </message>
    <message>
        <source>There is not enough storage space on your device or the largest&lt;br&gt;hard disk on your computer to finish the scanning. Please free some&lt;br&gt;storage space and try again.&lt;br&gt;</source>
        <translation>Auf Ihrem Gerät oder der größten Festplatte Ihres Computers ist nicht genug&lt;br&gt;Speicherplatz frei, um den Scan abzuschließen. Bitte geben Sie&lt;br&gt;Speicherplatz frei und versuchen Sie es erneut.&lt;br&gt;</translation>
    </message>
    <message>
        <source>Opps, it seems that you are doing some settings on your device.&lt;br&gt;Please close the Settings page and try again.&lt;br&gt;</source>
        <translation>Hoppla, anscheinend werden auf Ihrem Gerät gerade Einstellungen geändert.&lt;br&gt;Bitte schließen Sie die Einstellungen und versuchen Sie es erneut.&lt;br&gt;</translation>
    </message>
    <message>
        <source>&lt;strong&gt;Scan error(error code:%1)&lt;/strong&gt;&lt;br&gt;</source>
        <translation>&lt;strong&gt;Scan-Fehler (Fehlercode: %1)&lt;/strong&gt;&lt;br&gt;</translation>
    </message>
    <message>
        <source>We detect the presence of a small problem in your&lt;br&gt;environment, in order to recover the data in a timely&lt;/br&gt;&lt;br&gt;manner, it is recommended that you according to the&lt;/br&gt;&lt;br&gt;error code, &lt;a href=</source>
        <translation>Wir haben ein kleines Problem in Ihrer Umgebung festgestellt.&lt;br&gt;Damit Ihre Daten rasch wiederhergestellt werden&lt;/br&gt;&lt;br&gt;können, empfehlen wir Ihnen, sich mit dem&lt;/br&gt;&lt;br&gt;Fehlercode an den &lt;a href=</translation>
    </message>
    <message>
        <source>&gt;&lt;span style=</source>
        <translation>&gt;&lt;span style=</translation>
    </message>
    <message>
        <source> text-decoration: underline; color:#0000ff;</source>
        <translation> text-decoration: underline; color:#0000ff;</translation>
    </message>
    <message>
        <source>&gt;contact customer service&lt;/span&gt;&lt;/a&gt;.&lt;/br&gt;</source>
        <translation>&gt;Kundendienst zu wenden&lt;/span&gt;&lt;/a&gt;.&lt;/br&gt;</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Recovery failed! Please try again!</source>
        <translation>Wiederherstellung fehlgeschlagen! Bitte versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Recovery completed!&lt;br&gt; Please check your iOS device for the recovered data.</source>
        <translation>Wiederherstellung abgeschlossen!&lt;br&gt; Die wiederhergestellten Daten finden Sie auf Ihrem iOS-Gerät.</translation>
    </message>
    <message>
        <source>The files in the log folder (Help &gt; Open Log) say what went wrong;&lt;br&gt;the Troubleshooting section of the README says what to try next.</source>
        <translation>Die Dateien im Protokollordner (Hilfe &gt; Protokoll öffnen) sagen, was schiefging;&lt;br&gt;der Abschnitt „Troubleshooting“ der README sagt, was Sie als Nächstes versuchen können.</translation>
    </message>
    <message>
        <source>3. </source>
        <translation>3. </translation>
    </message>
</context>
<context>
    <name>MyHeaderView</name>
    <message>
        <source>CheckAll</source>
        <translation>Alle auswählen</translation>
    </message>
</context>
<context>
    <name>MyMessageDailog</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>RecoverButtonBar</name>
    <message>
        <source>Recover to PC</source>
        <translation>Auf dem Computer wiederherstellen</translation>
    </message>
    <message>
        <source>Recover to </source>
        <translation>Wiederherstellen auf </translation>
    </message>
    <message>
        <source>These items cannot be put back on %1 yet</source>
        <translation>Diese Einträge lassen sich noch nicht auf %1 zurückspielen</translation>
    </message>
    <message>
        <source>These items cannot be put back on %1 yet.&lt;br&gt;Please recover them to this computer instead.</source>
        <translation>Diese Einträge lassen sich noch nicht auf %1 zurückspielen.&lt;br&gt;Bitte stellen Sie sie stattdessen auf diesem Computer wieder her.</translation>
    </message>
    <message>
        <source>Oops! It seems you haven&apos;t chosen any data to recover.&lt;br&gt; Please tick the check boxes and click Recover button to&lt;br&gt; recover.</source>
        <translation>Hoppla! Sie haben anscheinend keine Daten zum Wiederherstellen ausgewählt.&lt;br&gt; Bitte setzen Sie Häkchen bei den gewünschten Einträgen und klicken Sie&lt;br&gt; auf die Schaltfläche „Wiederherstellen“.</translation>
    </message>
    <message>
        <source>Oops! It seems you haven&apos;t connected any &lt;br&gt;iOS device to this computer. Please plug in your&lt;br&gt;iOS device and try again.</source>
        <translation>Hoppla! Anscheinend ist kein &lt;br&gt;iOS-Gerät mit diesem Computer verbunden. Bitte schließen Sie Ihr&lt;br&gt;iOS-Gerät an und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Oops! It seems you haven&apos;t chosen any data to recover.&lt;br&gt; Please tick the checkboxes and click Recover button to &lt;br&gt; recover.</source>
        <translation>Hoppla! Sie haben anscheinend keine Daten zum Wiederherstellen ausgewählt.&lt;br&gt; Bitte setzen Sie Häkchen bei den gewünschten Einträgen und klicken Sie &lt;br&gt; auf die Schaltfläche „Wiederherstellen“.</translation>
    </message>
    <message>
        <source>RecoverButtonBar</source>
        <translation>RecoverButtonBar</translation>
    </message>
</context>
<context>
    <name>RecoverProgressDialog</name>
    <message>
        <source>Recovering the data, please wait...</source>
        <translation>Daten werden wiederhergestellt ...</translation>
    </message>
</context>
<context>
    <name>ScanProgressWidget</name>
    <message>
        <source>Scanning data...</source>
        <translation>Daten werden gescannt ...</translation>
    </message>
    <message>
        <source>Analyzing data...</source>
        <translation>Daten werden analysiert ...</translation>
    </message>
    <message>
        <source>Scanning %1 ...</source>
        <translation>Scan läuft: %1 ...</translation>
    </message>
    <message>
        <source>Analyzing %1 ...</source>
        <translation>Analyse läuft: %1 ...</translation>
    </message>
    <message>
        <source>No data found.</source>
        <translation>Keine Daten gefunden.</translation>
    </message>
    <message>
        <source>ScanProgressWidget</source>
        <translation>ScanProgressWidget</translation>
    </message>
</context>
<context>
    <name>SearchBar</name>
    <message>
        <source>SearchBar</source>
        <translation>SearchBar</translation>
    </message>
    <message>
        <source>Only display the deleted items.</source>
        <translation>Nur gelöschte Einträge anzeigen.</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p align=&quot;right&quot;&gt;Switch WeChat Account&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p align=&quot;right&quot;&gt;WeChat-Konto wechseln&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
</context>
<context>
    <name>SetRecoveryFolderDialog</name>
    <message>
        <source>Setting</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Set to save folder</source>
        <translation>Zielordner wählen</translation>
    </message>
    <message>
        <source>Save the recovered data to the following path.</source>
        <translation>Die wiederhergestellten Daten in diesem Ordner speichern:</translation>
    </message>
    <message>
        <source>Recover</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
</context>
<context>
    <name>TaskItemModel</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Company</source>
        <translation>Firma</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>Telefon</translation>
    </message>
    <message>
        <source>Email</source>
        <translation>E-Mail</translation>
    </message>
    <message>
        <source>Homepage</source>
        <translation>Webseite</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>Ort</translation>
    </message>
    <message>
        <source>Starts Date</source>
        <translation>Beginn</translation>
    </message>
    <message>
        <source>Ends Date</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Chat</source>
        <translation>Chat</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message>
        <source>Member</source>
        <translation>Mitglied</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>Priorität</translation>
    </message>
</context>
</TS>
