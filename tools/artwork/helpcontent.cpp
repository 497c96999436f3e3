#include "helpcontent.h"

HelpContent chineseHelp()
{
    HelpContent c;
    c.fontFamily = QStringLiteral("WenQuanYi Micro Hei");
    c.bodyPixels = 16;
    c.nameColumn = 130;
    c.title = QStringLiteral("Orvex Manager 使用帮助");
    c.subtitle = QStringLiteral("维罗拉克斯科技 · 直驱方向盘基座设置软件");

    c.sections.append(
        {QStringLiteral("窗口"),
         QStringLiteral(
             "Orvex Manager 用于设置 Orvex 直驱方向盘基座。按住标签或空白处可拖动窗口。"),
         HelpSketch::None,
         {
             {0, QStringLiteral("页面按钮"),
              QStringLiteral("左侧三个按钮切换“参数设置”、“外设校准”和“电机设置”三个页面，高亮的按"
                             "钮表示当前页面。")},
             {0, QStringLiteral("连接指示灯"),
              QStringLiteral("连接基座后，左下方的四个灯依次亮起蓝色，随后最下方的灯保持绿色，表示"
                             "已连接。最下方的灯为灰色表示没有连接基座。")},
             {0, QStringLiteral("?  –  ×"),
              QStringLiteral("右上角：“?”打开本帮助，“–”最小化窗口，“×”关闭软件。")},
             {0, QStringLiteral("发送数值"),
              QStringLiteral("停止拖动滑块约 0.5 "
                             "秒后，新数值自动发送到基座；在输入框中输入数值后按回车键发送。")},
         }});

    c.sections.append(
        {QStringLiteral("参数设置页"),
         QStringLiteral("调整基座的力反馈参数。"),
         HelpSketch::Settings,
         {
             {1, QStringLiteral("方向盘仪表"),
              QStringLiteral("显示方向盘当前的位置（度），刻度向左右各为方向盘角度的一半。")},
             {2, QStringLiteral("方向盘角度"),
              QStringLiteral("方向盘的总转动角度，1~1600 度（900 即左右各 450 度）。")},
             {3, QStringLiteral("对中"), QStringLiteral("向基座发送对中命令，使方向盘对中。")},
             {4, QStringLiteral("机械设置"),
              QStringLiteral("基座本身的手感，在任何游戏中都起作用：")},
             {0, QStringLiteral("力反馈大小"),
              QStringLiteral("总力度，-100~100；负值使力的方向反转。")},
             {0, QStringLiteral("滤波频率"), QStringLiteral("力信号的滤波，0~100，使力更平顺。")},
             {0, QStringLiteral("回盘速度"), QStringLiteral("方向盘回正的速度，0~100。")},
             {0, QStringLiteral("机械回中"), QStringLiteral("基座自身的回中弹簧力，0~100。")},
             {0, QStringLiteral("机械阻尼"), QStringLiteral("基座自身的阻尼，0~100。")},
             {0, QStringLiteral("机械摩擦"), QStringLiteral("基座自身的摩擦，0~100。")},
             {5, QStringLiteral("游戏效果"),
              QStringLiteral(
                  "游戏回中、游戏阻尼、游戏惯量、游戏摩擦：调节游戏发送的回中、阻尼、惯量和摩擦效果"
                  "的强度，各为 0~200。基座报告未使用的效果显示为灰色，不能调节。")},
             {6, QStringLiteral("悬挂硬度"), QStringLiteral("偏软、适中或偏硬。")},
             {0, QStringLiteral("响应模式"), QStringLiteral("稳定或狂野。")},
             {7, QStringLiteral("游戏力调整"),
              QStringLiteral("游戏恒力、游戏周期力，0~"
                             "200：调节游戏的恒定力和周期力（振动、路面和引擎的感觉）的强度。")},
             {8, QStringLiteral("读取基座"), QStringLiteral("读取基座中保存的参数，显示在本页。")},
             {0, QStringLiteral("写入存储"),
              QStringLiteral("把当前数值写入当前配置文件，并让基座永久保存。")},
             {0, QStringLiteral("另存为"), QStringLiteral("把当前数值另存为新的配置文件。")},
             {0, QStringLiteral("配置列表"),
              QStringLiteral("选择一个配置文件即载入其中的数值，并发送到基座。配置文件是软件 ini "
                             "文件夹中的 INI 文件。")},
         }});

    c.sections.append({QStringLiteral("外设校准页"),
                       QStringLiteral("实时显示连接到基座的外设。"),
                       HelpSketch::Calibration,
                       {
                           {1, QStringLiteral("X Y Z RX RY RZ"),
                            QStringLiteral("六个仪表显示六个外设轴（踏板、手刹、排挡等）的原始位置"
                                           "，0~4095。把每个轴走满全程，检查它是否正常。")},
                           {2, QStringLiteral("按键指示灯"),
                            QStringLiteral("64 个灯，编号 0~63；按下对应按键时灯亮为蓝色。")},
                       }});

    c.sections.append(
        {QStringLiteral("电机设置页（系统状态）"),
         QStringLiteral("基座的运行状态和软件信息。"),
         HelpSketch::State,
         {
             {1, QStringLiteral("状态指示灯"),
              QStringLiteral("亮起的灯表示基座当前的状态：绿灯“正常”表示没有故障；红灯指出故障：")},
             {0, QStringLiteral("系统过流"), QStringLiteral("电流过大。")},
             {0, QStringLiteral("硬件错误"), QStringLiteral("基座硬件故障。")},
             {0, QStringLiteral("系统读取"), QStringLiteral("无法从存储器读取参数。")},
             {0, QStringLiteral("系统过压"), QStringLiteral("供电电压过高。")},
             {0, QStringLiteral("角度超限"), QStringLiteral("方向盘超出角度范围。")},
             {0, QStringLiteral("系统缺项"), QStringLiteral("电机缺相。")},
             {0, QStringLiteral("系统超速"), QStringLiteral("电机转速过高。")},
             {0, QStringLiteral("未找零点"), QStringLiteral("没有找到零点位置。")},
             {2, QStringLiteral("固件"),
              QStringLiteral(
                  "基座的固件版本号。不支持低于 5000 的版本，软件会断开与这种基座的连接。")},
             {3, QStringLiteral("软件版本号"),
              QStringLiteral("本软件的版本；公司名称和联系方式告诉您如何联系维罗拉克斯科技。")},
             {4, QStringLiteral("供电电压"), QStringLiteral("基座报告的供电电压，单位为伏（V）。")},
             {5, QStringLiteral("恢复出厂"),
              QStringLiteral("把基座恢复为出厂设置。等待图标一直转动，直到基座确认，随后软件自动重"
                             "新读取参数。")},
         }});

    c.footer = QStringLiteral("Orvex Manager A2.1 · 维罗拉克斯科技");
    return c;
}

HelpContent englishHelp()
{
    HelpContent c;
    c.fontFamily = QStringLiteral("DejaVu Sans");
    c.bodyPixels = 15;
    c.nameColumn = 150;
    c.title = QStringLiteral("Orvex Manager Help");
    c.subtitle = QStringLiteral("Velorax Technology · wheel base configuration");

    c.sections.append(
        {QStringLiteral("The window"),
         QStringLiteral("Orvex Manager sets up your Orvex direct-drive wheel base. Drag the window "
                        "by any label or empty area."),
         HelpSketch::None,
         {
             {0, QStringLiteral("Page buttons"),
              QStringLiteral("The three buttons on the left switch between the Setting, "
                             "Calibration and State pages. The highlighted button marks the "
                             "current page.")},
             {0, QStringLiteral("Link lamps"),
              QStringLiteral("When the base is connected, the four lamps at the lower left light "
                             "up blue one after another; the bottom lamp then stays green. A grey "
                             "bottom lamp means that no base is connected.")},
             {0, QStringLiteral("?  –  ×"),
              QStringLiteral("Top right: ? opens this help, – minimises the window, × closes the "
                             "tool.")},
             {0, QStringLiteral("Sending"),
              QStringLiteral("A slider sends its new value to the base 0.5 s after you stop "
                             "moving it. A number typed into a box is sent when you press "
                             "Enter.")},
         }});

    c.sections.append(
        {QStringLiteral("Setting page"),
         QStringLiteral("The force-feedback parameters of the base."),
         HelpSketch::Settings,
         {
             {1, QStringLiteral("Wheel gauge"),
              QStringLiteral("Shows the wheel's current position in degrees; the scale spans half "
                             "the steering angle to each side.")},
             {2, QStringLiteral("Angle"),
              QStringLiteral("Total steering range in degrees, 1–1600 (900 means 450° each "
                             "way).")},
             {3, QStringLiteral("Center"),
              QStringLiteral("Sends the centre command to the base to centre the wheel.")},
             {4, QStringLiteral("MECHANICAL SETTING"),
              QStringLiteral("The feel of the base itself, active in every game:")},
             {0, QStringLiteral("TotalForce"),
              QStringLiteral("Overall force, −100 to 100; a negative value reverses the force "
                             "direction.")},
             {0, QStringLiteral("FilterFrequency"),
              QStringLiteral("Filter of the force signal, 0–100: smooths the force.")},
             {0, QStringLiteral("WheelSpeed"), QStringLiteral("Return speed of the wheel, 0–100.")},
             {0, QStringLiteral("WheelSpring"),
              QStringLiteral("Centring spring of the base, 0–100.")},
             {0, QStringLiteral("WheelDamper"), QStringLiteral("Damping of the base, 0–100.")},
             {0, QStringLiteral("WheelFriction"), QStringLiteral("Friction of the base, 0–100.")},
             {5, QStringLiteral("GAME EFFECT"),
              QStringLiteral("GameSpring, GameDamper, GameInertia and GameFriction set how strong "
                             "the game's spring, damper, inertia and friction effects are, 0–200 "
                             "each. Effects that the base reports as unused are greyed out.")},
             {6, QStringLiteral("Suspension"), QStringLiteral("Soft, Normal or Hard.")},
             {0, QStringLiteral("Response"), QStringLiteral("Stable or Wild.")},
             {7, QStringLiteral("GAME FORCE"),
              QStringLiteral("ConstantForce and PeriodForce, 0–200: strength of the game's "
                             "constant forces and of its periodic forces (vibration, road and "
                             "engine feel).")},
             {8, QStringLiteral("ReadBase"),
              QStringLiteral("Reads the parameters stored in the base into the page.")},
             {0, QStringLiteral("WriteStorage"),
              QStringLiteral("Writes the values into the current profile and makes the base "
                             "store them permanently.")},
             {0, QStringLiteral("SaveAs"), QStringLiteral("Saves the values as a new profile.")},
             {0, QStringLiteral("Profile list"),
              QStringLiteral("Choose a profile to load it; its values are sent to the base. "
                             "Profiles are INI files in the tool's ini folder.")},
         }});

    c.sections.append(
        {QStringLiteral("Calibration page"),
         QStringLiteral("A live view of the peripherals connected to the base."),
         HelpSketch::Calibration,
         {
             {1, QStringLiteral("X Y Z RX RY RZ"),
              QStringLiteral("Six gauges show the raw position of the six peripheral axes "
                             "(pedals, handbrake, shifter …), 0–4095. Move each one over its "
                             "full travel to check it.")},
             {2, QStringLiteral("Button lamps"),
              QStringLiteral("64 lamps numbered 0–63; a lamp lights blue while its button is "
                             "pressed.")},
         }});

    c.sections.append(
        {QStringLiteral("State page"),
         QStringLiteral("The health of the base and information about the software."),
         HelpSketch::State,
         {
             {1, QStringLiteral("State lamps"),
              QStringLiteral("The lit lamp shows the state of the base: green Normal means no "
                             "fault; a red lamp names the fault:")},
             {0, QStringLiteral("OverCur"), QStringLiteral("over-current.")},
             {0, QStringLiteral("TestCur"), QStringLiteral("hardware error.")},
             {0, QStringLiteral("ROMErr"),
              QStringLiteral("the parameters could not be read from memory.")},
             {0, QStringLiteral("OverVol"), QStringLiteral("supply over-voltage.")},
             {0, QStringLiteral("OutOfAng"),
              QStringLiteral("the wheel is beyond its angle range.")},
             {0, QStringLiteral("LosingPhase"), QStringLiteral("a motor phase is missing.")},
             {0, QStringLiteral("OverSpeed"), QStringLiteral("motor over-speed.")},
             {0, QStringLiteral("AssErr"), QStringLiteral("the zero position was not found.")},
             {2, QStringLiteral("Firmware"),
              QStringLiteral("Firmware version of the base. Versions below 5000 are not "
                             "supported: the tool disconnects from such a base.")},
             {3, QStringLiteral("Software"),
              QStringLiteral("Version of this tool; Company and Contact tell you how to reach "
                             "Velorax Technology.")},
             {4, QStringLiteral("Voltage"),
              QStringLiteral("Supply voltage reported by the base, in volts.")},
             {5, QStringLiteral("FactoryReset"),
              QStringLiteral("Restores the factory settings of the base. A turning indicator "
                             "shows until the base confirms; the tool then reads the settings "
                             "back.")},
         }});

    c.footer = QStringLiteral("Orvex Manager A2.1 · Velorax Technology");
    return c;
}
