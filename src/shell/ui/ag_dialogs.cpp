#include "shell/ui/ag_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace padloom::ui {

FileDialog::FileDialog(QString filter, Mode mode) : filter(std::move(filter)), m_mode(mode) {
}

QStringList FileDialog::nameFilters(const QString& filter) {
    QStringList parts = filter.split('|');
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        result << parts[i] + " (" + patterns.simplified() + ")";
    }
    return result;
}

bool FileDialog::execute(QWidget* parent) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(m_mode == Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (m_mode == Mode::Open) {
        dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    } else {
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (!initialDir.isEmpty()) {
        dialog.setDirectory(initialDir);
    }
    QStringList filters = nameFilters(filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (filterIndex >= 1 && filterIndex <= filters.size()) {
            dialog.selectNameFilter(filters[filterIndex - 1]);
        }
    }
    if (!defaultExt.isEmpty()) {
        dialog.setDefaultSuffix(defaultExt.startsWith("*.") ? defaultExt.mid(2) : defaultExt);
    }
    if (!fileName.isEmpty()) {
        dialog.selectFile(fileName);
    }
    if (!showSidebar) {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setSidebarUrls({});
    }
    files.clear();
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        fileName.clear();  // a cancelled dialog leaves no file name
        return false;
    }
    files = dialog.selectedFiles();
    fileName = files.first();
    m_lastChosen = fileName;
    initialDir = QFileInfo(fileName).absolutePath();
    int index = filters.indexOf(dialog.selectedNameFilter());
    if (index >= 0) {
        filterIndex = index + 1;
    }
    return true;
}

bool PlacesOpenDialog::execute(QWidget* parent) {
    showSidebar = showPlacesBar;
    return FileDialog::execute(parent);
}

}  // namespace padloom::ui
