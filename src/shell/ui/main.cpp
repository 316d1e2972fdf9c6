#include <QApplication>
#include <QMessageBox>

#include "common/temp_files.h"
#include "shell/ui/launcher.h"
#include "shell/ui/qt_settings_store.h"
#include "shell/ui/shell.h"

int main(int argc, char** argv) {
    // an interruption, a termination signal (the session ending) or the program's exit removes
    // the temporary files of a run still going
    padloom::common::removeTemporariesOnInterrupt();
    QApplication app(argc, argv);
    // no display name: the window system would add " - Padloom" to every window's caption,
    // which then no longer fits the title bars of the smaller windows
    QApplication::setApplicationName("Padloom");
    QApplication::setOrganizationName("Castorvane");

    // PADLOOM_SETTINGS_DIR points the settings at another folder (test runs of the program);
    // otherwise they live in the registry (Windows) or ~/.config/Castorvane/
    padloom::ui::QtSettingsStore store(qEnvironmentVariable("PADLOOM_SETTINGS_DIR"));
    padloom::ui::Shell shell(store);
    shell.launcher->show();
    return QApplication::exec();
}
