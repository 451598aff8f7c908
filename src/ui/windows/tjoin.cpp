#include "tjoin.h"

#include "base/config.h"
#include "client/options.h"
#include "lan/tabledatagram.h"
#include "lanlistener.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {
enum Column { TableColumn, SeatsColumn, WatchersColumn, GameColumn, AddressColumn };
}

bool Tjoin::validAddress(const QString &address)
{
    static const QRegularExpression form(
        QStringLiteral("^[A-Za-z0-9](?:[A-Za-z0-9.-]*[A-Za-z0-9])?(?::([0-9]{1,5}))?$"));
    const QRegularExpressionMatch match = form.match(address);
    return match.hasMatch() && (!match.hasCaptured(1) || (match.captured(1).toUInt() >= 1 &&
                                                          match.captured(1).toUInt() <= 65535));
}

Tjoin::Tjoin(Options &options, QWidget *parent) : QDialog(parent), m_options(options)
{
    setObjectName(QStringLiteral("jointable"));
    setWindowTitle(QStringLiteral("Join a Table"));
    resize(460, 340);
    m_listener = new LanListener(this);
    connect(m_listener, &LanListener::changed, this, &Tjoin::showTables);

    auto *column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QStringLiteral("Your name:"), this));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("edit_name"));
    m_name->setMaxLength(TableDatagram::MaxNameLength);
    column->addWidget(m_name);

    column->addWidget(new QLabel(QStringLiteral("Tables on your network:"), this));
    m_tables = new QTreeWidget(this);
    m_tables->setObjectName(QStringLiteral("list_tables"));
    m_tables->setRootIsDecorated(false);
    m_tables->setHeaderLabels({QStringLiteral("Table"), QStringLiteral("Seats"),
                               QStringLiteral("Watchers"), QStringLiteral("Game"),
                               QStringLiteral("Address")});
    m_tables->header()->setStretchLastSection(false);
    m_tables->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tables->header()->setSectionResizeMode(TableColumn, QHeaderView::Stretch);
    column->addWidget(m_tables, 1);
    connect(m_tables, &QTreeWidget::currentItemChanged, this, &Tjoin::tableChosen);
    connect(m_tables, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        tableChosen(item);
        joinClick();
    });

    column->addWidget(new QLabel(QStringLiteral("Address (name or IPv4, optional :port):"), this));
    m_address = new QComboBox(this);
    m_address->setObjectName(QStringLiteral("box_address"));
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    column->addWidget(m_address);

    auto *buttons = m_buttons = new QDialogButtonBox(this);
    m_join = buttons->addButton(QStringLiteral("Join"), QDialogButtonBox::AcceptRole);
    m_join->setObjectName(QStringLiteral("button_join"));
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &Tjoin::joinClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_name, &QLineEdit::textChanged, this, &Tjoin::updateJoin);
    connect(m_address, &QComboBox::editTextChanged, this, &Tjoin::updateJoin);
}

// Cancel comes when the dialog is first shown, before it is sized: a
// standard button's icon is looked up in the desktop's icon theme, which
// would cost the game window's first frame (the main window polishes its
// dialogs as it shows).
void Tjoin::setVisible(bool visible)
{
    if (visible && !m_buttons->button(QDialogButtonBox::Cancel))
        m_buttons->addButton(QDialogButtonBox::Cancel);
    QDialog::setVisible(visible);
}

void Tjoin::showEvent(QShowEvent *event)
{
    m_name->setText(m_options.playerName());
    m_address->clear();
    m_address->addItems(m_options.recentTables());
    m_listener->start();
    showTables();
    updateJoin();
    QDialog::showEvent(event);
}

void Tjoin::hideEvent(QHideEvent *event)
{
    m_listener->stop();
    QDialog::hideEvent(event);
}

void Tjoin::showTables()
{
    const QString chosen = m_tables->currentItem() ? m_tables->currentItem()->text(AddressColumn)
                                                   : QString();
    const quint16 usualPort = gamePort().toUShort();
    const QSignalBlocker quiet(m_tables);
    m_tables->clear();
    for (const LanTables::Entry &entry : m_listener->tables().entries()) {
        const TableDatagram &t = entry.table;
        auto *item = new QTreeWidgetItem(
            m_tables,
            {t.name, QStringLiteral("%1 of 4").arg(t.seatsTaken), QString::number(t.watchers),
             t.gameRunning ? QStringLiteral("running") : QStringLiteral("not started"),
             entry.joinAddress(usualPort)});
        if (t.version != QLatin1String(VersionText))
            item->setToolTip(TableColumn, QStringLiteral("Version %1").arg(t.version));
        if (item->text(AddressColumn) == chosen)
            m_tables->setCurrentItem(item);
    }
}

void Tjoin::tableChosen(QTreeWidgetItem *item)
{
    if (item)
        m_address->setEditText(item->text(AddressColumn));
}

void Tjoin::updateJoin()
{
    m_join->setEnabled(!m_name->text().trimmed().isEmpty() &&
                       validAddress(m_address->currentText().trimmed()));
}

void Tjoin::joinClick()
{
    const QString name = m_name->text().trimmed();
    const QString address = m_address->currentText().trimmed();
    if (name.isEmpty() || !validAddress(address))
        return;
    m_options.setPlayerName(name);
    m_options.addRecentTable(address);
    accept();
    emit joinRequested(name, address);
}

} // namespace velmora
