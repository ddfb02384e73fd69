#include "settings/MainSettingAudioNoticeView.h"

#include "settings/SettingTexts.h"
#include "uikit/VeskCategories.h"

#include <QLabel>
#include <QVBoxLayout>

QStringList SettingTexts::speakerHelpLines()
{
    return {QStringLiteral("1.点击“检测扬声器”按钮，检查扬声器设备功能是否正常"),
            QStringLiteral("2.点击“扬声器设备列表”，切换扬声器"),
            QStringLiteral("如果以上步骤尝试后，扬声器还是没有声音，请拨打人工客服电话：") +
                QStringLiteral(KORVI_SERVICE_PHONE)};
}

QStringList SettingTexts::micHelpLines()
{
    return {QStringLiteral("1.打开桌面的“设置”，选择“声音”，检查“输入设备”中是否选中了麦克风且未被静音；"),
            QStringLiteral("2.点击“检测麦克风”按钮，检查麦克风设备功能是否正常"),
            QStringLiteral("3.点击“麦克风设备列表”，切换麦克风")};
}

MainSettingAudioNoticeView::MainSettingAudioNoticeView(QWidget *parent) : KVFlatView(parent)
{
    setObjectName(QStringLiteral("MainSettingAudioNoticeView"));
    setCornerRadius(6);
    setBorderWidth(1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(10);
    m_titleLabel = new QLabel(this);
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setFont(vesk::systemFont(14, QFont::Medium));
    layout->addWidget(m_titleLabel);
    m_content = new QWidget(this);
    auto *lines = new QVBoxLayout(m_content);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(6);
    layout->addWidget(m_content);
    layout->addStretch(1);
    setDarkAppearance(false);
}

void MainSettingAudioNoticeView::setIsSpeaker(bool isSpeaker)
{
    m_isSpeaker = isSpeaker;
    m_titleLabel->setText(isSpeaker ? SettingTexts::kSpeakerHelpTitle : SettingTexts::kMicHelpTitle);
    qDeleteAll(m_lines);
    m_lines.clear();
    QStringList texts = isSpeaker ? SettingTexts::speakerHelpLines() : SettingTexts::micHelpLines();
    for (const QString &text : std::as_const(texts)) {
        auto *line = new QLabel(text, m_content);
        line->setTextFormat(Qt::PlainText);
        line->setWordWrap(true);
        line->setFont(vesk::systemFont(12));
        m_content->layout()->addWidget(line);
        m_lines.append(line);
    }
    setAccessibleName(m_titleLabel->text());
    setDarkAppearance(m_dark);
}

QStringList MainSettingAudioNoticeView::contentLines() const
{
    QStringList out;
    for (const QLabel *line : m_lines)
        out.append(line->text());
    return out;
}

void MainSettingAudioNoticeView::setDarkAppearance(bool dark)
{
    m_dark = dark;
    setBackgroundColor(vesk::colorWithHexString(dark ? QStringLiteral("494A51") : QStringLiteral("FFFFFF")));
    setBorderColor(vesk::colorWithHexString(dark ? QStringLiteral("585858") : QStringLiteral("D8DBE4")));
    setShadowColor(vesk::colorWithHexString(dark ? QStringLiteral("666666") : QStringLiteral("27394D"), 0.12));
    const QColor title = vesk::colorWithHexString(dark ? QStringLiteral("FFFFFF") : QStringLiteral("007AFF"));
    const QColor content = vesk::colorWithHexString(dark ? QStringLiteral("FFFFFF") : QStringLiteral("333333"));
    QPalette pal = m_titleLabel->palette();
    pal.setColor(QPalette::WindowText, title);
    m_titleLabel->setPalette(pal);
    for (QLabel *line : std::as_const(m_lines)) {
        QPalette linePal = line->palette();
        linePal.setColor(QPalette::WindowText, content);
        line->setPalette(linePal);
    }
}
