#pragma once

#include <QProxyStyle>

namespace velmora {

// The application's style with quick tooltips: they appear after 300 ms
// instead of Qt's 700. How long one stays is a widget's own setting
// (TipDuration); Qt has no application-wide one.
class TipStyle : public QProxyStyle
{
    Q_OBJECT
public:
    static constexpr int WakeUpDelay = 300;
    static constexpr int TipDuration = 6000;

    using QProxyStyle::QProxyStyle;

    // Wraps the application's current style, once per program.
    static void install();

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr,
                  const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};

} // namespace velmora
