#pragma once
// Qt's own texts (file, folder and print dialogs, message box buttons,
// socket and file errors) in Japanese, the language of every form here.
class QCoreApplication;

namespace vorq {

// Installs Qt's Japanese catalogue from the system's translations folder.
// False when it is not installed: Qt's texts then stay in English.
bool installQtTranslations(QCoreApplication *app);

}  // namespace vorq
