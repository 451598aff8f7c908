#include "tabout.h"

#include "art/faces.h"
#include "art/tableart.h"
#include "base/config.h"
#include "common/clicklabel.h"
#include "common/notifier.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPushButton>

#include <functional>

namespace velmora {

namespace {

QPixmap drawLogo(QSize size)
{
    QPixmap pixmap = TableArt::canvas(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient felt(0, 0, 0, size.height());
    felt.setColorAt(0, QColor(28, 120, 58));
    felt.setColorAt(1, QColor(12, 70, 34));
    p.setPen(QPen(QColor(120, 72, 30), 2));
    p.setBrush(felt);
    p.drawRoundedRect(QRectF(1, 1, size.width() - 2, size.height() - 2), 8, 8);
    // A fan of three cards on the left.
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(30, size.height() - 8);
        p.rotate(-20 + i * 20);
        p.setPen(QPen(QColor(80, 80, 80), 1));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(-10, -38, 20, 30), 2, 2);
        p.setPen(i == 1 ? QColor(200, 20, 30) : Qt::black);
        QFont suit = faces::named(faces::card());
        suit.setPixelSize(12);
        p.setFont(suit);
        p.drawText(QRectF(-10, -38, 20, 30), Qt::AlignCenter,
                   i == 1 ? QStringLiteral("\u2665") : QStringLiteral("\u2660"));
        p.restore();
    }
    QFont font = faces::named(faces::title());
    font.setPixelSize(34);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(QRect(62, 2, size.width() - 62, size.height()), Qt::AlignCenter,
               QStringLiteral("Velmora"));
    p.setPen(QColor(255, 214, 40));
    p.drawText(QRect(60, 0, size.width() - 62, size.height()), Qt::AlignCenter,
               QStringLiteral("Velmora"));
    return pixmap;
}
} // namespace

QUrl Tabout::makerUrl()
{
    return QUrl(QStringLiteral("https://") + QLatin1String(MakerAddress) + QLatin1Char('/'));
}

Tabout::Tabout(Notifier *notifier, QWidget *parent) : QDialog(parent, Qt::Tool)
{
    if (!notifier) {
        m_ownNotifier = std::make_unique<Notifier>();
        notifier = m_ownNotifier.get();
    }
    m_notifier = notifier;

    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("Velmora - About"));
    setFixedSize(304, 174);
    setAutoFillBackground(true);
    TableArt::setPanelBackground(this);

    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("Image1"));
    logo->setGeometry(14, 4, 276, 55);
    TableArt::whenShown(logo, [logo] { logo->setPixmap(drawLogo(logo->size())); });

    auto *link = new ClickLabel(this, [this] { Label7Click(); });
    link->setText(QLatin1String(MakerAddress));
    link->setObjectName(QStringLiteral("Label7"));
    QFont linkFont = link->font();
    linkFont.setPixelSize(17);
    linkFont.setBold(true);
    linkFont.setUnderline(true);
    link->setFont(linkFont);
    QPalette blue = link->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 160));
    link->setPalette(blue);
    link->setAlignment(Qt::AlignCenter);
    link->setGeometry(14, 62, 276, 24);

    auto *credits = new QLabel(QStringLiteral("Game design and programming by Pelox8 Games"), this);
    credits->setObjectName(QStringLiteral("label_credits"));
    credits->setAlignment(Qt::AlignCenter);
    credits->setGeometry(4, 90, 296, 16);

    // The notice, with its end year in a label of its own.
    auto *notice = new QWidget(this);
    notice->setGeometry(4, 108, 296, 16);
    auto *row = new QHBoxLayout(notice);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addStretch();
    row->addWidget(new QLabel(QStringLiteral("Copyright \u00a9 %1-").arg(FirstYear), notice));
    auto *year = new QLabel(QString::number(QDate::currentDate().year()), notice);
    year->setObjectName(QStringLiteral("label_year"));
    row->addWidget(year);
    row->addWidget(new QLabel(QStringLiteral(" Pelox8 Games"), notice));
    row->addStretch();

    auto *versionCaption = new QLabel(QStringLiteral("Version"), this);
    versionCaption->setGeometry(12, 144, 50, 20);
    m_version = new QLabel(QLatin1String(VersionText), this);
    m_version->setObjectName(QStringLiteral("version"));
    m_version->setGeometry(62, 144, 40, 20);
    const int versionWidth = m_version->fontMetrics().horizontalAdvance(m_version->text());
    auto *build = new QLabel(QStringLiteral(".0"), this);
    build->setObjectName(QStringLiteral("label_build"));
    build->setGeometry(62 + versionWidth, 144, 20, 20);

    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("Button1"));
    done->setGeometry(218, 140, 76, 26);
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::close);
}

Tabout::~Tabout() = default;

QString Tabout::versionText() const { return m_version->text(); }

void Tabout::Label7Click() { m_notifier->openUrl(makerUrl()); }

} // namespace velmora
