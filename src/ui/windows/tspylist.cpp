#include "tspylist.h"

#include "art/tableart.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPalette>
#include <QPushButton>

#include <algorithm>

namespace velmora {

namespace {
QString lineOf(int number, const QString &name)
{
    return QString::number(number) + QStringLiteral(": ") + name;
}
} // namespace

Tspylist::Tspylist(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("spylist"));
    setWindowTitle(QStringLiteral("VL -Spys"));
    setFixedSize(162, 168);
    setAutoFillBackground(true);
    TableArt::setPanelBackground(this);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("listbox_spys"));
    m_list->setGeometry(4, 4, 154, 130);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QListWidget::customContextMenuRequested, this,
            &Tspylist::listbox_spysContextMenu);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("popup_kick"));
    m_kick = m_menu->addAction(QStringLiteral("Remove From Game"));
    m_kick->setObjectName(QStringLiteral("popup_kickhim"));
    m_kick->setEnabled(false);
    connect(m_kick, &QAction::triggered, this, &Tspylist::popup_kickhimClick);

    auto *caption = new QLabel(QStringLiteral("Spy List"), this);
    caption->setObjectName(QStringLiteral("label_spylist"));
    QFont big = caption->font();
    big.setPixelSize(17);
    big.setBold(true);
    caption->setFont(big);
    QPalette green = caption->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    caption->setPalette(green);
    caption->setGeometry(6, 138, 84, 26);

    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    done->setGeometry(98, 139, 58, 24);
    connect(done, &QPushButton::clicked, this, &Tspylist::button_doneClick);
}

void Tspylist::add(int number, const QString &name)
{
    const auto it = std::find_if(m_watchers.begin(), m_watchers.end(),
                                 [number](const Watcher &w) { return w.number == number; });
    if (it != m_watchers.end()) {
        it->name = name;
        m_list->item(int(it - m_watchers.begin()))->setText(lineOf(number, name));
        return;
    }
    m_watchers.push_back({number, name});
    m_list->addItem(lineOf(number, name));
}

void Tspylist::remove(int number)
{
    const auto it = std::find_if(m_watchers.begin(), m_watchers.end(),
                                 [number](const Watcher &w) { return w.number == number; });
    if (it == m_watchers.end())
        return;
    delete m_list->takeItem(int(it - m_watchers.begin()));
    m_watchers.erase(it);
}

void Tspylist::clear()
{
    m_watchers.clear();
    m_list->clear();
}

void Tspylist::setHosting(bool hosting)
{
    m_hosting = hosting;
    m_kick->setEnabled(hosting);
}

void Tspylist::listbox_spysContextMenu(const QPoint &pos)
{
    // The line under the pointer at the right-click, not the selected line:
    // the player points at whom he means.
    const QListWidgetItem *item = m_list->itemAt(pos);
    m_rowAtMenu = item ? m_list->row(item) : -1;
    // The window's items are made for the watcher under the pointer, so the
    // last menu's go.
    for (QAction *action : m_menu->actions())
        if (action != m_kick) {
            m_menu->removeAction(action);
            action->deleteLater();
        }
    if (m_playerMenu && m_rowAtMenu >= 0 && m_rowAtMenu < int(m_watchers.size()))
        m_playerMenu(*m_menu, m_watchers[std::size_t(m_rowAtMenu)].number);
    m_menu->popup(m_list->viewport()->mapToGlobal(pos));
}

void Tspylist::popup_kickhimClick()
{
    const int row = m_rowAtMenu;
    m_rowAtMenu = -1;
    if (!m_hosting || row < 0 || row >= int(m_watchers.size()))
        return;
    emit removeRequested(m_watchers[std::size_t(row)].number);
}

} // namespace velmora
