#include "backgroundpanel.h"

#include "autostart.h"
#include "gamebindings.h"
#include "languagetable.h"
#include "processwatcher.h"
#include "profilefolder.h"
#include "profilestore.h"
#include "switchbutton.h"

#include <QColor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char kLabelStyle[] = "color:#9f9e9e;font-size:15px;font-weight:bold;";
const char kButtonStyle[] =
    "QToolButton{font-size:15px;font-weight:bold;color:#9f9e9e;border:1px solid "
    "rgb(124,124,124);border-radius:5px;}QToolButton:hover{color: #ffffff;background-color: "
    "#2EBDE7;}";

QString text(const language::Message &message, int languageIndex)
{
    return language::messageText(message, languageIndex);
}

// The programs running now, by the names a binding matches, without duplicates.
QStringList runningPrograms()
{
    QStringList names;
    for (const qint64 pid : session::systemProcessIds()) {
        for (const QString &key : session::systemProgramKeys(pid)) {
            if (!names.contains(key))
                names << key;
        }
    }
    names.sort();
    return names;
}

class BindingsDialog : public QDialog
{
public:
    BindingsDialog(QWidget *parent, int languageIndex) : QDialog(parent), m_language(languageIndex)
    {
        setObjectName(QStringLiteral("bindingsDialog"));
        setWindowTitle(text(language::BindingsTitleMessage, m_language));
        m_table = new QTableWidget(0, 2, this);
        m_table->setObjectName(QStringLiteral("bindingsTable"));
        m_table->setHorizontalHeaderLabels({text(language::BindingsProgramMessage, m_language),
                                            text(language::BindingsProfileMessage, m_language)});
        m_table->horizontalHeader()->setStretchLastSection(true);
        m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
        QPushButton *add = buttons->addButton(text(language::BindingsAddMessage, m_language),
                                              QDialogButtonBox::ActionRole);
        add->setObjectName(QStringLiteral("addRunningGame"));
        QPushButton *remove = buttons->addButton(text(language::BindingsRemoveMessage, m_language),
                                                 QDialogButtonBox::ActionRole);
        remove->setObjectName(QStringLiteral("removeBinding"));
        connect(add, &QPushButton::clicked, this, [this] { addRunningGame(); });
        connect(remove, &QPushButton::clicked, this, [this] { removeSelected(); });
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(m_table);
        layout->addWidget(buttons);
        resize(520, 320);
        refill();
    }

private:
    void refill()
    {
        const QVector<profiles::GameBinding> bindings =
            profiles::readBindings(profiles::profileFolder());
        m_table->setRowCount(bindings.size());
        for (int row = 0; row < bindings.size(); ++row) {
            m_table->setItem(row, 0, new QTableWidgetItem(bindings.at(row).program));
            m_table->setItem(row, 1, new QTableWidgetItem(bindings.at(row).profile));
        }
    }

    void addRunningGame()
    {
        bool chosen = false;
        const QString program =
            QInputDialog::getItem(this, text(language::BindingsAddMessage, m_language),
                                  text(language::BindingsProgramMessage, m_language),
                                  runningPrograms(), 0, true, &chosen);
        if (!chosen || profiles::programKey(program).isEmpty())
            return;
        const QString profile = QInputDialog::getItem(
            this, text(language::BindingsAddMessage, m_language),
            text(language::BindingsProfileMessage, m_language),
            profiles::listProfileFiles(profiles::profileFolder()), 0, false, &chosen);
        if (!chosen || profile.isEmpty())
            return;
        tellFailure(profiles::bindProgram(profiles::profileFolder(), program, profile, &m_error));
        refill();
    }

    void removeSelected()
    {
        const int row = m_table->currentRow();
        if (row < 0)
            return;
        if (!profiles::unbindProgram(profiles::profileFolder(), m_table->item(row, 0)->text(),
                                     &m_error))
            tellFailure(m_error.isEmpty());
        refill();
    }

    void tellFailure(bool done)
    {
        if (!done)
            QMessageBox::information(this, text(language::InformationTitle, m_language), m_error);
    }

    int m_language;
    QTableWidget *m_table;
    QString m_error;
};

} // namespace

BackgroundPanel::BackgroundPanel(QWidget *page)
    : QObject(page), m_page(page), m_autostartLabel(new QLabel(page)),
      m_autostart(new SwitchButton(page)), m_bindings(new QToolButton(page))
{
    m_autostartLabel->setObjectName(QStringLiteral("autostartLabel"));
    m_autostartLabel->setStyleSheet(QString::fromLatin1(kLabelStyle));
    m_autostartLabel->setGeometry(660, 566, 300, 30);
    m_autostart->setObjectName(QStringLiteral("autostartSwitch"));
    m_autostart->setGeometry(1116, 568, 60, 26);
    // The window's colours: grey when off, the accent when on.
    m_autostart->setBgColorOff(QColor(0x4C, 0x4D, 0x50));
    m_autostart->setSliderColorOff(QColor(0x9f, 0x9e, 0x9e));
    m_autostart->setBgColorOn(QColor(0x2E, 0xBD, 0xE7));
    m_autostart->setSliderColorOn(Qt::white);
    m_autostart->setChecked(autostart::enabled());
    connect(m_autostart, &SwitchButton::checkedChanged, this, [this](bool on) {
        if (on == autostart::enabled())
            return;
        QString error;
        if (!autostart::setEnabled(on, &error))
            QMessageBox::information(m_page, text(language::InformationTitle, m_language), error);
    });
    m_bindings->setObjectName(QStringLiteral("bindingsButton"));
    m_bindings->setStyleSheet(QString::fromLatin1(kButtonStyle));
    m_bindings->setGeometry(956, 610, 221, 40);
    connect(m_bindings, &QToolButton::clicked, this, &BackgroundPanel::showBindings);
    retranslate(language::English);
}

void BackgroundPanel::retranslate(int languageIndex)
{
    m_language = languageIndex;
    m_autostartLabel->setText(text(language::AutostartSwitchMessage, languageIndex));
    m_bindings->setText(text(language::BindingsTitleMessage, languageIndex));
}

void BackgroundPanel::showBindings()
{
    BindingsDialog dialog(m_page->window(), m_language);
    dialog.exec();
}
