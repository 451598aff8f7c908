#include "ttallylist.h"

#include "art/tableart.h"
#include "tallychart.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

namespace velmora {

namespace {
QLabel *addLabel(QWidget *parent, const QString &text, int x, int y, int w, int h = 16,
                 const QString &name = {}, bool bold = false)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(x, y, w, h);
    if (!name.isEmpty())
        label->setObjectName(name);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    return label;
}

constexpr int ChartHeight = 100;

QFrame *addPanel(QWidget *parent, int x, int y, int w, int h)
{
    auto *panel = new QFrame(parent);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(x, y, w, h);
    return panel;
}
} // namespace

Ttallylist::Ttallylist(Tally &tally, QWidget *parent) : QWidget(parent, Qt::Window), m_tally(tally)
{
    setObjectName(QStringLiteral("tallylist"));
    setWindowTitle(QStringLiteral("Velmora - Tally List"));
    // The totals keep their places; the chart is a strip below them.
    setFixedSize(455, 349 + ChartHeight + 24);
    setAutoFillBackground(true);
    TableArt::setPanelBackground(this);
    m_confirm = [this](const QString &question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };

    // Own totals.
    addPanel(this, 6, 6, 214, 92);
    addLabel(this, QStringLiteral("Your Total Tally"), 12, 10, 200, 16, {}, true);
    addLabel(this, QStringLiteral("Total Games:"), 12, 30, 90);
    addLabel(this, QStringLiteral("0"), 110, 30, 100, 16, QStringLiteral("mylabel_1"), true);
    addLabel(this, QStringLiteral("Your Wins"), 12, 47, 90);
    addLabel(this, QStringLiteral("0"), 110, 47, 100, 16, QStringLiteral("mylabel_2"), true);
    addLabel(this, QStringLiteral("Total Winnings"), 12, 64, 120, 16, {}, true);
    addLabel(this, QStringLiteral("0"), 110, 78, 100, 16, QStringLiteral("mylabel_3"), true);

    // The selected opponent.
    addPanel(this, 6, 102, 214, 112);
    addLabel(this, QString(), 12, 106, 200, 16, QStringLiteral("label_hisnametop"), true);
    addLabel(this, QStringLiteral("Total"), 120, 124, 40, 16, {}, true);
    addLabel(this, QStringLiteral("Session"), 165, 124, 50, 16, {}, true);
    const QString rowNames[] = {QStringLiteral("Number of Games"), QStringLiteral("XX Wins:"),
                                QStringLiteral("Your Wins:"), QStringLiteral("Neither Won:")};
    for (int i = 0; i < 4; ++i) {
        const int y = 142 + 17 * i;
        addLabel(this, rowNames[i], 12, y, 106, 16,
                 i == 1 ? QStringLiteral("label_hisname") : QString());
        addLabel(this, QStringLiteral("0"), 120, y, 40, 16, QStringLiteral("label_%1").arg(i + 1));
        addLabel(this, QStringLiteral("0"), 165, y, 40, 16, QStringLiteral("label_%1").arg(i + 5));
    }

    // The players of the current game.
    addLabel(this, QStringLiteral("Players In Current Game"), 8, 218, 210, 16, {}, true);
    m_checklist = new QListWidget(this);
    m_checklist->setObjectName(QStringLiteral("checklist"));
    m_checklist->setGeometry(6, 236, 214, 107);
    connect(m_checklist, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!m_filling)
            checklistClickCheck(m_checklist->row(item), item->checkState() == Qt::Checked);
    });

    // The tallied players.
    addLabel(this, QStringLiteral("Players Being Tallied"), 230, 8, 219, 16, {}, true);
    m_tallied = new QListWidget(this);
    m_tallied->setObjectName(QStringLiteral("listbox_tally"));
    m_tallied->setGeometry(230, 26, 219, 280);
    connect(m_tallied, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!m_filling)
            listbox_tallyClickCheck(m_tallied->row(item), item->checkState() == Qt::Checked);
    });
    connect(m_tallied, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { listbox_tallyClick(m_tallied->row(item)); });
    // The arrow keys move the selection: the panel follows as for a click.
    connect(m_tallied, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_filling && row >= 0)
            listbox_tallyClick(row);
    });

    auto *reset = new QPushButton(QStringLiteral("Reset Tally"), this);
    reset->setObjectName(QStringLiteral("button_reset"));
    reset->setGeometry(230, 314, 105, 28);
    connect(reset, &QPushButton::clicked, this, &Ttallylist::button_resetClick);
    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    done->setGeometry(344, 314, 105, 28);
    connect(done, &QPushButton::clicked, this, &QWidget::hide);

    addLabel(this, QStringLiteral("Money Against Him, Game by Game"), 8, 350, 440, 16,
             QStringLiteral("label_charttitle"), true);
    m_chart = new TallyChart(this);
    m_chart->setGeometry(6, 368, 443, ChartHeight);

    connect(&m_tally, &Tally::changed, this, &Ttallylist::loadtally);
    loadtally();
}

QLabel *Ttallylist::label(const QString &name) const { return findChild<QLabel *>(name); }

void Ttallylist::loadtally()
{
    const TallyTable &table = m_tally.table();
    showOwn(1, table.cell(1, 0));
    showOwn(2, table.cell(2, 0));
    showOwn(3,
            m_tally.winningsAsMoney() ? QStringLiteral("$") + table.cell(3, 0) : table.cell(3, 0));
    loadchecklist();
    fillTallied();
    showSelected();
}

void Ttallylist::fillTallied()
{
    // The selection is the player, not the row: it stays with him when
    // others come or go, and is gone when he is.
    const QStringList names = m_tally.table().tallied();
    const QListWidgetItem *current = m_tallied->currentItem();
    const QString selected = current ? current->text() : QString();
    bool same = m_tallied->count() == names.size();
    for (int row = 0; same && row < names.size(); ++row)
        same = m_tallied->item(row)->text() == names.at(row);
    m_filling = true;
    if (!same) {
        m_tallied->clear();
        for (const QString &name : names) {
            auto *item = new QListWidgetItem(name, m_tallied);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        }
        m_tallied->setCurrentRow(selected.isNull() ? -1 : int(names.indexOf(selected)));
    }
    for (int row = 0; row < names.size(); ++row)
        m_tallied->item(row)->setCheckState(Qt::Checked);
    m_filling = false;
}

void Ttallylist::showOwn(int column, const QString &text)
{
    // Column 4 of the own row has no label.
    if (QLabel *l = label(QStringLiteral("mylabel_%1").arg(column)))
        l->setText(text);
}

void Ttallylist::showSelected()
{
    const int row = m_tallied->currentRow();
    const TallyTable &table = m_tally.table();
    if (row < 0 || row + 1 >= table.rowCount())
        return;
    const QString name = table.cell(0, row + 1);
    m_shown = name;
    for (int c = 1; c <= 8; ++c)
        label(QStringLiteral("label_%1").arg(c))->setText(table.cell(c, row + 1));
    label(QStringLiteral("label_hisname"))->setText(name + QStringLiteral(" Wins:"));
    label(QStringLiteral("label_hisnametop"))->setText(name + QStringLiteral("'s Tally"));
    label(QStringLiteral("label_charttitle"))
        ->setText(QStringLiteral("Money Against ") + name + QStringLiteral(", Game by Game"));
    m_chart->setPoints(table.runningAgainst(row + 1));
}

void Ttallylist::clearSelected()
{
    m_shown.clear();
    for (int c = 1; c <= 8; ++c)
        label(QStringLiteral("label_%1").arg(c))->setText(QStringLiteral("0"));
    label(QStringLiteral("label_hisname"))->setText(QStringLiteral("XX Wins:"));
    label(QStringLiteral("label_hisnametop"))->clear();
    label(QStringLiteral("label_charttitle"))
        ->setText(QStringLiteral("Money Against Him, Game by Game"));
    m_chart->setPoints({});
}

void Ttallylist::loadchecklist()
{
    // Ticking a player changes the tally, which redraws this list from
    // inside the tick's own signal: then only the ticks are brought up to
    // date and no item is deleted under its signal.
    const QStringList &players = m_tally.playersAtTable();
    bool same = m_checklist->count() == players.size();
    for (int row = 0; same && row < players.size(); ++row)
        same = m_checklist->item(row)->text() == players.at(row);
    m_filling = true;
    if (!same) {
        m_checklist->clear();
        for (const QString &name : players) {
            auto *item = new QListWidgetItem(name, m_checklist);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        }
    }
    for (int row = 0; row < players.size(); ++row)
        m_checklist->item(row)->setCheckState(
            m_tally.table().rowOf(players.at(row)) ? Qt::Checked : Qt::Unchecked);
    m_filling = false;
}

void Ttallylist::checklistClickCheck(int row, bool ticked)
{
    if (!ticked || row < 0 || row >= m_checklist->count())
        return;
    m_tally.tally(m_checklist->item(row)->text());
}

void Ttallylist::listbox_tallyClick(int row)
{
    m_tallied->setCurrentRow(row);
    showSelected();
}

void Ttallylist::listbox_tallyClickCheck(int row, bool ticked)
{
    if (ticked || row < 0 || row >= m_tallied->count())
        return;
    const QString name = m_tallied->item(row)->text();
    if (m_confirm(QStringLiteral("This will delete ") + name +
                  QStringLiteral("'s Tally, Are you want to delete it?"))) {
        m_tally.moverow(row + 1);
        if (name == m_shown)
            clearSelected();
        return;
    }
    fillTallied(); // the tick comes back
}

void Ttallylist::button_resetClick()
{
    if (!m_confirm(QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    m_tally.clear();
    // The headings keep their last text; nobody is shown any more.
    m_shown.clear();
    for (int c = 1; c <= 3; ++c)
        showOwn(c, QStringLiteral("0"));
    for (int c = 1; c <= 8; ++c)
        label(QStringLiteral("label_%1").arg(c))->setText(QStringLiteral("0"));
    m_chart->setPoints({});
}

void Ttallylist::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hide();
}

} // namespace velmora
