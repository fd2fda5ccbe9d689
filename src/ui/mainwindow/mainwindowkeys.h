#pragma once
// Keys for what the main window otherwise offers only to the mouse.
namespace vorq {

class MainWindow;

// Enter in a chart opens the selected song's file (as the default button
// "開く" would), the context-menu key or Shift+F10 on the date list opens its
// date menu at the current date, and Ctrl+S saves the associations (as a
// double click on the status bar does).
void installMainWindowKeys(MainWindow *form);

}  // namespace vorq
