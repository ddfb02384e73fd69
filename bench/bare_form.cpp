// bare_form login|home [idle SECONDS]: the yardstick of the start-up benchmark. A plain Qt program
// that shows a window with the same Chinese texts, sizes and kinds of controls as the client's
// sign-in window (400 x 560) or home window (960 x 640), prints "painted" once the window has been
// painted, and quits. With idle: the window stays up, active with its first field focused (its
// cursor blinking), and after a settling time prints "wakeups=<a second>" over SECONDS, and quits.

#include "BenchProcess.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QLabel *label(const QString &text, QWidget *parent, int points, bool bold = false)
{
    auto *l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPointSize(points);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

QWidget *signInForm()
{
    auto *w = new QWidget();
    w->setWindowTitle(QStringLiteral("Korvi 登录"));
    w->setFixedSize(400, 560);
    auto *layout = new QVBoxLayout(w);
    layout->setContentsMargins(40, 48, 40, 32);
    layout->addWidget(label(QStringLiteral("欢迎使用 Korvi"), w, 24, true));
    auto *subtitle = label(QStringLiteral("手机号验证码登录，未注册的手机号验证后自动注册"), w, 12);
    subtitle->setWordWrap(true);
    layout->addWidget(subtitle);
    layout->addSpacing(24);
    layout->addWidget(label(QStringLiteral("手机号"), w, 13));
    auto *phone = new QLineEdit(w);
    phone->setObjectName(QStringLiteral("field"));
    phone->setPlaceholderText(QStringLiteral("请输入手机号"));
    layout->addWidget(phone);
    layout->addWidget(label(QStringLiteral("验证码"), w, 13));
    auto *row = new QHBoxLayout();
    auto *code = new QLineEdit(w);
    code->setPlaceholderText(QStringLiteral("请输入验证码"));
    row->addWidget(code, 1);
    row->addWidget(new QPushButton(QStringLiteral("获取验证码"), w));
    layout->addLayout(row);
    layout->addSpacing(16);
    layout->addWidget(new QPushButton(QStringLiteral("登录"), w));
    layout->addStretch(1);
    return w;
}

QWidget *homeWindow()
{
    auto *w = new QWidget();
    w->setWindowTitle(QStringLiteral("Korvi"));
    w->resize(960, 640);
    auto *layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QHBoxLayout();
    bar->setContentsMargins(24, 12, 24, 12);
    bar->addWidget(label(QStringLiteral("Korvi"), w, 18, true));
    bar->addWidget(label(QStringLiteral("张三"), w, 14));
    bar->addStretch(1);
    for (const QString &text : {QStringLiteral("会议记录"), QStringLiteral("设置"), QStringLiteral("退出登录")})
        bar->addWidget(new QPushButton(text, w));
    layout->addLayout(bar);

    auto *columns = new QHBoxLayout();
    columns->setContentsMargins(24, 16, 24, 24);
    auto *left = new QVBoxLayout();
    left->addWidget(label(QStringLiteral("加入会议"), w, 16, true));
    auto *id = new QLineEdit(w);
    id->setObjectName(QStringLiteral("field"));
    id->setPlaceholderText(QStringLiteral("请输入会议号"));
    left->addWidget(id);
    for (const QString &text : {QStringLiteral("加入会议"), QStringLiteral("快速会议"), QStringLiteral("预约会议")})
        left->addWidget(new QPushButton(text, w));
    left->addStretch(1);
    columns->addLayout(left);
    auto *right = new QVBoxLayout();
    auto *header = new QHBoxLayout();
    header->addWidget(label(QStringLiteral("今日会议"), w, 16, true));
    header->addStretch(1);
    header->addWidget(new QPushButton(QStringLiteral("全部会议"), w));
    right->addLayout(header);
    auto *scroll = new QScrollArea(w);
    scroll->setWidgetResizable(true);
    auto *empty = label(QStringLiteral("今日暂无会议"), scroll, 14);
    empty->setAlignment(Qt::AlignCenter);
    scroll->setWidget(empty);
    right->addWidget(scroll, 1);
    columns->addLayout(right, 1);
    layout->addLayout(columns, 1);
    return w;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    bench::FirstPaint probe;
    const bool idle = argc > 3 && std::strcmp(argv[2], "idle") == 0;
    if (!idle)
        app.installEventFilter(&probe);
    const bool home = argc > 1 && std::strcmp(argv[1], "home") == 0;
    QWidget *window = home ? homeWindow() : signInForm();
    window->show();
    bench::WakeUpRate wakeUps;
    if (idle) {
        window->activateWindow();
        if (auto *field = window->findChild<QWidget *>(QStringLiteral("field")))
            field->setFocus();
        const int ms = int(std::atof(argv[3]) * 1000);
        QTimer::singleShot(bench::kIdleSettleMs, [&wakeUps, ms] {
            wakeUps.start();
            QTimer::singleShot(ms, [&wakeUps] {
                std::printf("wakeups=%.3f\n", wakeUps.perSecond());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        });
    }
    const int code = QApplication::exec();
    delete window;
    return code;
}
