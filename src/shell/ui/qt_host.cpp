#include "shell/ui/qt_host.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QUrl>

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/controls.h"

namespace padloom::ui {

QString fromBytes(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

namespace {

QString pathText(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

void place(QMessageBox& box, QWidget* window, common::Place where) {
    // a message box is only as wide as its text: a short one ("Done") would cut its title off
    reserveTitleWidth(&box);
    box.adjustSize();
    switch (where) {
        case common::Place::WindowPlus50:
            if (window) {
                box.move(window->x() + 50, window->y() + 50);
            }
            break;
        case common::Place::WindowCentre:
            if (window) {
                box.move(window->frameGeometry().center() - box.rect().center());
            }
            break;
        case common::Place::Screen: {
            QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
            if (screen) {
                box.move(screen->availableGeometry().center() - box.rect().center());
            }
            break;
        }
    }
}

}  // namespace

void showMessageBox(QWidget* window, common::Box box, const QString& text, common::Place where) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title = QApplication::applicationDisplayName();
    if (box == common::Box::Info) {
        icon = QMessageBox::Information;
        title = "Information";
    } else if (box == common::Box::Error) {
        icon = QMessageBox::Critical;
        title = "Error";
    } else if (box == common::Box::Warning) {
        icon = QMessageBox::Warning;
        title = "Warning";
    }
    // line breaks written for the old platform as LF CR show as one break here
    QString shown = text;
    shown.replace("\n\r", "\n").replace("\r\n", "\n");
    QMessageBox message(icon, title, shown, QMessageBox::Ok, window);
    place(message, window, where);
    message.exec();
}

std::vector<std::string> QtHost::askOpen(const common::FileAsk& ask) {
    FileDialog* dialog = m_b.openDialog;
    if (!dialog) {
        return {};
    }
    dialog->filterIndex = ask.filter;
    if (!ask.title.empty()) {
        dialog->title = fromBytes(ask.title);
    }
    dialog->fileName.clear();
    dialog->multiple = ask.multiple;
    bool ok = dialog->execute(m_b.window);
    dialog->multiple = false;  // switched off again whether or not the user confirmed
    std::vector<std::string> chosen;
    if (ok) {
        for (const QString& f : dialog->files) {
            chosen.push_back(toPath(f));
        }
    }
    return chosen;
}

std::optional<std::string> QtHost::askSave(const common::FileAsk& ask) {
    FileDialog* dialog = m_b.saveDialog;
    if (!dialog) {
        return std::nullopt;
    }
    dialog->filterIndex = ask.filter;
    if (!ask.title.empty()) {
        dialog->title = fromBytes(ask.title);
    }
    dialog->fileName = pathText(ask.fileName);
    if (!dialog->execute(m_b.window)) {
        return std::nullopt;
    }
    return toPath(dialog->fileName);
}

bool QtHost::askYesNo(std::string_view text, common::Place where) {
    QMessageBox box(QMessageBox::Question, "Confirm", fromBytes(text),
                    QMessageBox::Yes | QMessageBox::No, m_b.window);
    place(box, m_b.window, where);
    return box.exec() == QMessageBox::Yes;
}

void QtHost::show(common::Box box, std::string_view text, common::Place where) {
    showMessageBox(m_b.window, box, fromBytes(text), where);
}

std::optional<std::string> QtHost::askLine(std::string_view caption, std::string_view prompt,
                                           std::string_view initial) {
    QInputDialog dialog(m_b.window);
    dialog.setWindowTitle(fromBytes(caption));
    dialog.setLabelText(fromBytes(prompt));
    dialog.setTextValue(fromBytes(initial));
    dialog.minimumSizeHint();  // lays the dialog out, so that its layout can take the strut
    reserveTitleWidth(&dialog);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue().toLatin1().toStdString();
}

void QtHost::addLine(std::string_view text) {
    if (m_b.memo) {
        m_b.memo->appendPlainText(fromBytes(text));
        // the newest line in view, wherever the user had scrolled to
        QScrollBar* bar = m_b.memo->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
}

void QtHost::warn(std::string_view text) {
    // in the window's message list; a window without one shows it in a box
    if (m_b.memo) {
        addLine(text);
    } else {
        showMessageBox(m_b.window, common::Box::Plain, fromBytes(text), common::Place::Screen);
    }
}

void QtHost::setStatus(std::string_view text) {
    if (m_b.status) {
        m_b.status->setText(fromBytes(text));
        m_b.status->repaint();
    }
}

void QtHost::setProgress(int percent) {
    if (!m_b.progress) {
        return;
    }
    if (percent < 0) {
        m_b.progress->hide();
    } else {
        m_b.progress->setValue(percent);
        m_b.progress->show();
    }
}

void QtHost::letMessagesRun() {
    QCoreApplication::processEvents();
}

void QtHost::beep() {
    QApplication::beep();
}

void QtHost::openInViewer(const std::string& path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(pathText(path)))) {
        warn("Open notepad: no program to show text files is set up on this computer, so " + path +
             " was written but not opened.");
    }
}

common::PackageAnswer QtHost::askPackage(const common::PackageQuestion& question) {
    if (m_b.askPackage) {
        return m_b.askPackage(question);
    }
    return common::Host::askPackage(question);
}

}  // namespace padloom::ui
