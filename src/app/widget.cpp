// Assembly of the main window: construction order, keys and shutdown.

#include "widget.h"
#include "ui_widget.h"

#include "formcatalogue.h"
#include "helptext.h"
#include "inifile.h"
#include "parameters.h"
#include "platform.h"
#include "rangevalidator.h"
#include "reports.h"
#include "txtfile.h"
#include "usbthread.h"
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
constexpr int kReadBackTimerMs = 100;
constexpr int kLiveStatusTimerMs = 50;
constexpr int kSendDebounceMs = 500;

QTimer *makeTimer(QObject *parent, int intervalMs)
{
    auto *timer = new QTimer(parent);
    timer->setInterval(intervalMs);
    return timer;
}

} // namespace

Widget::Widget(QWidget *parent)
    : QWidget(parent), ui(new Ui::Widget), m_platform(device::platform())
{
    veloraxInitResources();
    ui->setupUi(this);
    Init_installEventFilter();
    setUpHistory();
    connect(this, &Widget::ServoVersion, this, &Widget::slot_VersionCheck);
    m_productIdText = QStringLiteral("0") + QString::number(m_productId, 16);

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

    OpenUSBHandle();
    USBRegistration();
    ListOfSliderAndLine();
    ProgressToLinedata();
    for (FiledReport &filed : m_filed)
        filed.arrived = false;

    startReader();

    m_readBackTimer = makeTimer(this, kReadBackTimerMs);
    connect(m_readBackTimer, &QTimer::timeout, this, &Widget::ReadReportBufferToSetGames);
    m_liveStatusTimer = makeTimer(this, kLiveStatusTimerMs);
    // Without a base there is no live report to show; the arrival starts the
    // timer, so an idle window does not wake 20 times a second for nothing.
    if (m_deviceFound)
        m_liveStatusTimer->start();
    connect(m_liveStatusTimer, &QTimer::timeout, this, &Widget::ReadBufferToZreoOneReport);
    m_machineSendTimer = makeTimer(this, kSendDebounceMs);
    // A coarse timer may fire up to 5 % (25 ms) off; the debounced send is
    // due 500 ms after the last change, within a few milliseconds.
    m_machineSendTimer->setTimerType(Qt::PreciseTimer);
    connect(m_machineSendTimer, &QTimer::timeout, this, &Widget::SetSendMachineryData);
    m_gameSendTimer = makeTimer(this, kSendDebounceMs);
    m_gameSendTimer->setTimerType(Qt::PreciseTimer);
    connect(m_gameSendTimer, &QTimer::timeout, this, &Widget::SetSendGamesData);

    // However the event loop ends (a quit signal included), what is pending goes out first.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Widget::sendPendingChanges);

    ui->ForceFeedback->hide();
    m_readRequestByte = protocol::ReadRequestValue;
    ReadOrSaveValue();
    ui->frame_16->hide();
    ui->labelJump_2->hide();
    ui->tBtn_ReadFile->hide();
    ui->stackedWidget->setCurrentIndex(0);

    ui->progressBar->setTitle(tr("X"));
    ui->progressBar_2->setTitle(tr("Y"));
    ui->progressBar_3->setTitle(tr("Z"));
    ui->progressBar_4->setTitle(tr("RX"));
    ui->progressBar_5->setTitle(tr("RY"));
    ui->progressBar_6->setTitle(tr("RZ"));

    Slot_ReadFileCombined();
    Slot_Help(true);

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
    // The reader must have ended before the window and the thread object go. Validators,
    // timers, the translator and the file helpers are children and go with the window;
    // the generated form holder is no QObject.
    stopReader();
    delete ui;
}

void Widget::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        sendPendingChanges();
        closeReadHandle();
        QCoreApplication::quit();
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

void Widget::Slot_CloseApplication()
{
    // What is pending reaches the base before the link closes. Closing the read handle first
    // lets the reader end; the event loop then returns 0 and the window is torn down in order
    // instead of being abandoned.
    sendPendingChanges();
    closeReadHandle();
    QCoreApplication::exit(0);
}
