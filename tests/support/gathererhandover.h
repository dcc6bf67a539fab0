#ifndef GATHERERHANDOVER_H
#define GATHERERHANDOVER_H

// Hides from ThreadSanitizer what the widget file dialog's helper thread
// (Qt's QFileInfoGatherer, which every QFileDialog's model starts) does while
// it emits the file infos it gathered towards the GUI thread: Qt queues them
// into the GUI thread's posted-event list under its own lock, which the
// sanitizer cannot see, in functions without symbols that no suppression can
// name. Only that thread, only during its own signals, is hidden; the GUI
// thread's side and every other thread stay checked. Does nothing in other
// builds. Installed once per process; later calls do nothing.
void HideFileInfoGathererHandOvers();

#endif // GATHERERHANDOVER_H
