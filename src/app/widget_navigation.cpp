// Pages, window chrome (dragging the frameless window, the resize hook, proportional
// scaling), the language switch and the help dialog.

#include "ui_widget.h"
#include "widget.h"

#include "backgroundpanel.h"
#include "formcatalogue.h"
#include "helptext.h"
#include "indicatorlooks.h"
#include "inifile.h"
#include "languagetable.h"
#include "liveindicators.h"
#include "parameters.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QSlider>
#include <QToolButton>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcWindow, "velorax.ui.window")

} // namespace

// --- Pages --------------------------------------------------------------------------------
// Each page carries its own row of three tab buttons; the buttons of all pages lead to the
// same three pages.

void Widget::connectButtons()
{
    // The form's buttons, connected by hand rather than by the form's name matching.
    const std::pair<QToolButton *, int> pageButtons[] = {
        {ui->ValueSet, 0},     {ui->ValueSet_2, 0},   {ui->ValueSet_3, 0},
        {ui->toolButton_4, 1}, {ui->toolButton_7, 1}, {ui->toolButton_9, 1},
        {ui->toolButton_6, 2}, {ui->toolButton_8, 2}, {ui->toolButton_10, 2},
    };
    for (const auto &[button, page] : pageButtons)
        connect(button, &QToolButton::clicked, this, [this, page = page] { showPage(page); });
    connect(ui->tbt_savedata, &QToolButton::clicked, this, &Widget::on_tbt_savedata_clicked);
    connect(ui->tbt_readdata, &QToolButton::clicked, this, &Widget::on_tbt_readdata_clicked);
    connect(ui->toolButton_5, &QToolButton::clicked, this, &Widget::on_toolButton_5_clicked);
    connect(ui->toolButton_3, &QToolButton::clicked, this, &Widget::on_toolButton_3_clicked);
    connect(ui->ForceFeedback, &QToolButton::clicked, this, &Widget::on_ForceFeedback_clicked);
    connect(ui->tbt_original_state, &QToolButton::clicked, this,
            &Widget::on_tbt_original_state_clicked);
    connect(ui->comboBox, QOverload<int>::of(&QComboBox::activated), this,
            &Widget::on_comboBox_activated);
}

void Widget::showPage(int page)
{
    ui->stackedWidget->setCurrentIndex(page);
}

// --- Language -----------------------------------------------------------------------------

void Widget::Get_LacaelLanuage(int language)
{
    ui->comboBox->setCurrentIndex(language == QLocale::Chinese ? language::Chinese
                                                               : language::English);
}

void Widget::SetWidgetLanguage(int index)
{
    // Rebuilding the choice combos changes their indexes; none of that may reach the base.
    m_refillingChoices = true;
    const int suspension = ui->colorComboBox->currentIndex();
    const int response = ui->colorComboBox_2->currentIndex();

    const QList<QLabel *> &leds = m_indicators->buttonLeds();
    for (int k = 0; k < leds.size(); ++k) {
        leds.at(k)->setText(QString::number(k));
        leds.at(k)->setAlignment(Qt::AlignCenter);
    }
    for (const language::FixedText &fixed : language::fixedTexts()) {
        if (auto *label = findChild<QLabel *>(QLatin1String(fixed.control)))
            label->setText(QString::fromUtf8(fixed.text));
    }
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        const char *rangeLabel = form::controls(info.parameter).rangeLabel;
        if (!rangeLabel)
            continue;
        if (auto *label = findChild<QLabel *>(QLatin1String(rangeLabel)))
            label->setText(language::rangeText(info.range));
    }

    applyLanguageTexts(index);
    refillChoiceCombos(index);
    if (m_backgroundPanel) // made after the form's first language switch
        m_backgroundPanel->retranslate(index);

    const protocol::ProfileKey key = protocol::LanguageWriteKey;
    if (m_iniFile->WriteIniFile(m_dataProfilePath, QLatin1String(key.group), QLatin1String(key.key),
                                QString::number(index)) != 0)
        qCDebug(lcWindow) << "language index not stored in" << m_dataProfilePath;

    ui->colorComboBox->setCurrentIndex(suspension);
    ui->colorComboBox_2->setCurrentIndex(response);
    m_refillingChoices = false;
}

void Widget::applyLanguageTexts(int index)
{
    if (index != language::Chinese && index != language::English)
        return;
    for (const language::TextRow &row : language::languageTable()) {
        QObject *control = findChild<QObject *>(QLatin1String(row.control));
        if (auto *label = qobject_cast<QLabel *>(control))
            label->setText(language::textOf(row, index));
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            button->setText(language::textOf(row, index));
        else if (!qobject_cast<QComboBox *>(control))
            qCWarning(lcWindow) << "no label or button" << row.control << "for its text";
    }
}

void Widget::refillChoiceCombos(int index)
{
    if (index != language::Chinese && index != language::English)
        return;
    for (QComboBox *combo : {ui->colorComboBox, ui->colorComboBox_2}) {
        combo->clear();
        combo->addItems(language::comboItems(combo->objectName(), index));
    }
}

// --- Window chrome ------------------------------------------------------------------------

void Widget::Init_installEventFilter()
{
    // The parameter controls come from the catalogue by name: the filter is installed while
    // the window is being built, before the control lists exist.
    QStringList names{QStringLiteral("CB_ReadFile"), QLatin1String(form::SuspensionCombo),
                      QLatin1String(form::ResponseCombo)};
    names << form::machineSliderNames() << form::machineLineEditNames()
          << form::gameLineEditNamesInSendOrder() << form::gameSliderNamesInSendOrder();
    for (const QString &name : qAsConst(names)) {
        if (QWidget *control = findChild<QWidget *>(name))
            control->installEventFilter(this);
        else
            qCWarning(lcWindow) << "no control" << name << "to watch";
    }
    for (QToolButton *button : findChildren<QToolButton *>())
        button->installEventFilter(this);
    for (QLabel *label : findChildren<QLabel *>())
        label->installEventFilter(this);
}

bool Widget::eventFilter(QObject *watched, QEvent *event)
{
    if (claimsUndoKey(event))
        return true;
    switch (event->type()) {
    case QEvent::Wheel:
        if (ignoresWheel(watched))
            return true;
        break;
    case QEvent::KeyPress: {
        // The window's Enter handler commits the field the key came from.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && fieldParameter(watched))
            m_enterField = static_cast<QLineEdit *>(watched);
        break;
    }
    case QEvent::FocusOut: {
        // Leaving a field commits it; the window losing the focus or a popup opening does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            commitField(qobject_cast<QLineEdit *>(watched));
        break;
    }
    default:
        break;
    }
    m_drag.watch(watched, event);
    return QWidget::eventFilter(watched, event);
}

void Widget::mousePressEvent(QMouseEvent *event)
{
    m_drag.press(event);
}

void Widget::mouseReleaseEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    m_drag.release();
}

void Widget::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Neither a drag nor the default handler: a double click on the window does nothing.
    Q_UNUSED(event);
}

void Widget::mouseMoveEvent(QMouseEvent *event)
{
    if (const std::optional<QPoint> by = m_drag.movedBy(event))
        move(pos() + *by);
}

// --- Help ---------------------------------------------------------------------------------

void Widget::Slot_Help(bool status)
{
    Q_UNUSED(status);
    if (m_helpText)
        return;
    m_helpText = new HelpText(this);
    for (QToolButton *help : {ui->TB_Help_3, ui->TB_Help_2, ui->TB_Help_1})
        connect(help, &QToolButton::released, m_helpText, &HelpText::onOpenHelpTextWidget);
}
