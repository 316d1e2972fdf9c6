#include "tools/ui/package_choice_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/help_window.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

PackageChoiceDialog::PackageChoiceDialog(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Select Matching Package from Library") {
    setObjectName("Form22");
    setHelpContext(kHelpPackageChoice);

    m_promptLabel = new QLabel(this);
    m_promptLabel->setObjectName("Label1");
    m_packageCombo = new QComboBox(this);
    m_packageCombo->setObjectName("ComboBox1");
    m_packageCombo->setEditable(true);
    m_packageCombo->setInsertPolicy(QComboBox::NoInsert);
    m_packageCombo->setMinimumContentsLength(40);
    m_okButton = new QPushButton("OK", this);
    m_okButton->setObjectName("Button1");
    m_stopButton = new QPushButton("Stop", this);
    m_stopButton->setObjectName("Button2");
    m_skipButton = new QPushButton("Skip", this);
    m_skipButton->setObjectName("Button3");
    for (QPushButton* b : {m_okButton, m_stopButton, m_skipButton}) {
        b->setAutoDefault(false);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_stopButton);
    buttons->addWidget(m_skipButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_promptLabel);
    layout->addWidget(m_packageCombo);
    layout->addLayout(buttons);

    connect(m_okButton, &QPushButton::clicked, this, [this] { done(kOk); });
    connect(m_stopButton, &QPushButton::clicked, this, [this] { done(kStop); });
    connect(m_skipButton, &QPushButton::clicked, this, [this] { done(kSkip); });
    // Enter in the combo box takes the package, as OK does; with no package in the box there
    // is nothing to take
    connect(m_packageCombo->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (m_okButton->isEnabled()) {
            done(kOk);
        }
    });
    connect(m_packageCombo, &QComboBox::editTextChanged, this,
            [this](const QString& text) { m_okButton->setEnabled(!text.trimmed().isEmpty()); });
}

common::PackageAnswer PackageChoiceDialog::ask(const common::PackageQuestion& question) {
    m_promptLabel->setText(fromBytes(question.question));
    QStringList choices;
    for (const auto& c : question.choices) {
        choices << fromBytes(c);
    }
    QStringList shown;
    for (int i = 0; i < m_packageCombo->count(); ++i) {
        shown << m_packageCombo->itemText(i);
    }
    if (shown != choices) {
        m_packageCombo->clear();
        m_packageCombo->addItems(choices);
    }
    const QString text = fromBytes(question.text);
    const int index = m_packageCombo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_packageCombo->setCurrentIndex(index);
    m_packageCombo->setEditText(text);
    m_okButton->setEnabled(!text.trimmed().isEmpty());
    m_packageCombo->setFocus();

    const int result = m_shell.showModal(*this);
    common::PackageAnswer answer;
    answer.action = result == kOk     ? common::PackageAction::Accept
                    : result == kSkip ? common::PackageAction::Skip
                                      : common::PackageAction::Stop;
    answer.text = m_packageCombo->currentText().toLatin1().toStdString();
    return answer;
}

// closing the dialog by its title bar (or Escape) stops, as "Stop" does
void PackageChoiceDialog::reject() {
    done(kStop);
}

}  // namespace padloom::ui
