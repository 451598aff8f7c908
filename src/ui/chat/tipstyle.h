#pragma once

#include <QProxyStyle>

namespace velmora {

// The application's style with quick, large tooltips: they appear after
// 300 ms instead of Qt's 700, in bold black type five points above the
// default on pale yellow. How long one stays is a widget's own setting
// (TipDuration); Qt has no application-wide one.
//
// It also gives the menu bar's extension arrow, which shows only when the
// menus do not fit, as an icon made when first drawn: the base style's
// arrow is a picture file, and reading one loads every image format plugin
// of the system, more than a millisecond as the game window is built.
class TipStyle : public QProxyStyle
{
    Q_OBJECT
public:
    static constexpr int WakeUpDelay = 300;
    static constexpr int TipDuration = 6000;
    static constexpr int FontPointsAdded = 5;

    using QProxyStyle::QProxyStyle;

    // Wraps the application's current style and sets the tooltips' font
    // and colours, once per program.
    static void install();

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr,
                  const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

} // namespace velmora
