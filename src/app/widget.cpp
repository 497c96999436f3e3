// Assembly of the main window: construction order, the session's signals, keys and shutdown.

#include "widget.h"
#include "ui_widget.h"

#include "backgroundpanel.h"
#include "formcatalogue.h"
#include "helptext.h"
#include "inifile.h"
#include "languagetable.h"
#include "liveindicators.h"
#include "parameters.h"
#include "platform.h"
#include "rangevalidator.h"
#include "txtfile.h"
#include "velorax_resources.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <vector>

Q_LOGGING_CATEGORY(lcUi, "velorax.ui")

namespace {

constexpr int kLedTimerMs = 1000;
constexpr int kLiveStatusTimerMs = 50;

QTimer *makeTimer(QObject *parent, int intervalMs)
{
    auto *timer = new QTimer(parent);
    timer->setInterval(intervalMs);
    return timer;
}

} // namespace

Widget::Widget(QWidget *parent) : Widget(nullptr, parent) {}

Widget::Widget(session::BaseSession *shared, QWidget *parent)
    : QWidget(parent), ui(new Ui::Widget),
      m_session(shared ? shared : new session::BaseSession(device::platform(), this)),
      m_sessionShared(shared != nullptr)
{
    veloraxInitResources();
    ui->setupUi(this);
    Init_installEventFilter();
    setUpHistory();
    if (!m_sessionShared)
        m_session->setReasonWording(&language::snapshotReason);

    m_translator = new QTranslator(this);
    QCoreApplication::installTranslator(m_translator);
    ui->retranslateUi(this);

    // One validator per range; the form catalogue says which line edit takes which.
    std::vector<RangeValidator *> validators;
    for (const form::ValidatorAssignment &assignment : form::validatorAssignments()) {
        const auto found =
            std::find_if(validators.begin(), validators.end(), [&](const RangeValidator *v) {
                return v->bottom() == assignment.range.minimum &&
                       v->top() == assignment.range.maximum;
            });
        RangeValidator *validator =
            found != validators.end()
                ? *found
                : validators.emplace_back(
                      new RangeValidator(assignment.range.minimum, assignment.range.maximum, this));
        if (auto *edit = findChild<QLineEdit *>(assignment.lineEdit))
            edit->setValidator(validator);
        else
            qCWarning(lcUi) << "no line edit" << assignment.lineEdit << "for its validator";
    }

    m_iniFile = new IniFile(this);
    m_txtFile = new TxtFile(this);
    m_txtFile->JudgmentFile(profileFolder(), QStringLiteral("Null"));
    TxtAndIniFile(profileFolder(), QStringLiteral("data.ini"));

    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    ui->lineGramFreeBack->setFocus(Qt::OtherFocusReason);
    m_dataProfilePath = profileFolder() + QStringLiteral("/data.ini");

    m_ledTimer = makeTimer(this, kLedTimerMs);
    connect(m_ledTimer, &QTimer::timeout, this, &Widget::usbStatuLedShow);
    m_liveStatusTimer = makeTimer(this, kLiveStatusTimerMs);
    connect(m_liveStatusTimer, &QTimer::timeout, this, &Widget::ReadBufferToZreoOneReport);

    ListOfSliderAndLine();
    ProgressToLinedata();
    connectSession();
    connectButtons();
    if (m_session->started()) {
        showSession();
    } else {
        std::uintptr_t nativeWindow = 0;
#ifdef Q_OS_WIN
        nativeWindow = static_cast<std::uintptr_t>(winId());
#endif
        m_session->start(nativeWindow);
    }

    // However the event loop ends (a quit signal included), what is pending goes out first.
    connect(qApp, &QCoreApplication::aboutToQuit, m_session,
            &session::BaseSession::sendPendingChanges, Qt::UniqueConnection);

    ui->ForceFeedback->hide();
    ui->frame_16->hide();
    ui->labelJump_2->hide();
    ui->tBtn_ReadFile->hide();
    ui->stackedWidget->setCurrentIndex(0);

    Slot_ReadFileCombined();
    Slot_Help(true);
    m_backgroundPanel = new BackgroundPanel(ui->tbt_original_state->parentWidget());

    for (QWidget *hidden :
         std::initializer_list<QWidget *>{ui->frame_5, ui->frame_6, ui->frame_8, ui->frame_10,
                                          ui->frame_12, ui->frame_14, ui->frame})
        hidden->hide();
    ui->Factory_wait->setVisible(false);
    for (QWidget *hidden : std::initializer_list<QWidget *>{
             ui->label_35, ui->label_36, ui->colorComboBox3, ui->colorComboBox_29, ui->comboBox,
             ui->label_46, ui->LB_Help, ui->SwitchHelp})
        hidden->hide();
}

Widget::~Widget()
{
    // The window's own session (a child) ends its reader before the window goes; the generated
    // form holder is no QObject.
    if (!m_sessionShared)
        delete m_session;
    m_session = nullptr;
    delete ui;
}

void Widget::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        Slot_CloseApplication();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Slot_SengDataFromkeyPressEvent();
        break;
    default:
        m_enterField = nullptr;
        event->ignore();
        break;
    }
}

bool Widget::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(result);
    if (eventType == "windows_generic_MSG")
        m_session->handleNativeMessage(message);
    return false;
}
