#include "thelp.h"

#include "art/tableart.h"
#include "base/config.h"
#include "windows/tabout.h"
#include "common/notifier.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDate>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>

// Resources of a static library are registered by hand: nothing else would
// pull their object file into the program.
static void initHelpResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(help);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace velmora {

namespace {
struct Page
{
    const char *caption;
    const char *file;
};

constexpr Page Pages[Thelp::PageCount] = {
    {"Overview", ":/help/overview.html"},           {"Connecting", ":/help/connecting.html"},
    {"Game Play", ":/help/gameplay.html"},          {"Scoring", ":/help/scoring.html"},
    {"Documentation", ":/help/documentation.html"}, {"License", ":/help/license.html"},
};

constexpr int PanelWidth = 145;

QString readPage(const char *path)
{
    QFile file{QLatin1String(path)};
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}
} // namespace

Thelp::Thelp(Notifier *notifier, QWidget *parent) : QWidget(parent, Qt::Window)
{
    initHelpResources();
    if (!notifier) {
        m_ownNotifier = std::make_unique<Notifier>();
        notifier = m_ownNotifier.get();
    }
    m_notifier = notifier;

    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("Velmora - Help File"));
    setFixedSize(543, 493);

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel_buttons"));
    panel->setGeometry(0, 0, PanelWidth, height());
    panel->setAutoFillBackground(true);
    TableArt::setPanelBackground(panel);

    m_buttons = new QButtonGroup(this);
    m_buttons->setExclusive(true);
    for (int tag = 1; tag <= PageCount; ++tag) {
        auto *button = new QPushButton(QLatin1String(Pages[tag - 1].caption), panel);
        button->setObjectName(QStringLiteral("SelButton%1").arg(tag));
        button->setCheckable(true);
        button->setGeometry(10, 10 + (tag - 1) * 32, PanelWidth - 20, 28);
        m_buttons->addButton(button, tag);
    }
    connect(m_buttons, &QButtonGroup::idClicked, this, &Thelp::SelButton1Click);

    auto *about = new QPushButton(QStringLiteral("About"), panel);
    about->setObjectName(QStringLiteral("button_about"));
    about->setGeometry(10, 10 + PageCount * 32 + 12, PanelWidth - 20, 28);
    connect(about, &QPushButton::clicked, this, &Thelp::aboutRequested);

    auto *credits = new QLabel(panel);
    credits->setObjectName(QStringLiteral("label_credits"));
    credits->setAlignment(Qt::AlignCenter);
    credits->setWordWrap(true);
    credits->setText(QStringLiteral("Velmora %1\nby Pelox8 Games").arg(QLatin1String(VersionText)));
    credits->setGeometry(4, 386, PanelWidth - 8, 36);
    // The notice, with its end year in a label of its own.
    auto *notice = new QWidget(panel);
    notice->setGeometry(4, 422, PanelWidth - 8, 18);
    auto *row = new QHBoxLayout(notice);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addStretch();
    row->addWidget(new QLabel(QStringLiteral("\u00a9 %1-").arg(Tabout::FirstYear), notice));
    auto *year = new QLabel(QString::number(QDate::currentDate().year()), notice);
    year->setObjectName(QStringLiteral("label_year"));
    row->addWidget(year);
    row->addStretch();

    auto *done = new QPushButton(QStringLiteral("Done"), panel);
    done->setObjectName(QStringLiteral("button_done"));
    done->setGeometry(10, height() - 38, PanelWidth - 20, 28);
    connect(done, &QPushButton::clicked, this, &QWidget::hide);

    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("label_caption"));
    QFont bold = m_caption->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    m_caption->setFont(bold);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setGeometry(PanelWidth + 6, 6, width() - PanelWidth - 12, 24);

    m_pages = new QStackedWidget(this);
    m_pages->setGeometry(PanelWidth + 6, 34, width() - PanelWidth - 12, height() - 40);
    for (int tag = 1; tag <= PageCount; ++tag) {
        auto *memo = new QTextBrowser(m_pages);
        memo->setObjectName(QStringLiteral("memo%1").arg(tag));
        memo->setOpenLinks(false);
        // Laid out when the page first shows.
        TableArt::whenShown(memo, [memo, tag] { memo->setHtml(readPage(Pages[tag - 1].file)); });
        connect(memo, &QTextBrowser::anchorClicked, this, &Thelp::openLink);
        m_pages->addWidget(memo);
    }
    SelButton1Click(1);
}

Thelp::~Thelp() = default;

int Thelp::currentPage() const { return m_pages->currentIndex() + 1; }

void Thelp::SelButton1Click(int tag)
{
    if (tag < 1 || tag > PageCount)
        return;
    m_pages->setCurrentIndex(tag - 1);
    m_buttons->button(tag)->setChecked(true);
    m_caption->setText(QLatin1String(Pages[tag - 1].caption));
}

void Thelp::openLink(const QUrl &url)
{
    // Only web and mail links leave the program; anything else in a page
    // would be a mistake in the page.
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("https") || scheme == QLatin1String("http") ||
        scheme == QLatin1String("mailto"))
        m_notifier->openUrl(url);
}

} // namespace velmora
