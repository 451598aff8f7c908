#include "thost.h"

#include "client/options.h"
#include "lan/tabledatagram.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace velmora {

Thost::Thost(Options &options, QWidget *parent) : QDialog(parent), m_options(options)
{
    setObjectName(QStringLiteral("hosttable"));
    setWindowTitle(QStringLiteral("Host a Table"));
    auto *form = new QFormLayout(this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("edit_name"));
    m_name->setMaxLength(TableDatagram::MaxNameLength);
    form->addRow(QStringLiteral("Your name:"), m_name);
    m_router = new QCheckBox(QStringLiteral("Open the port on my router"), this);
    m_router->setObjectName(QStringLiteral("box_router"));
    m_router->setChecked(true);
    form->addRow(m_router);
    auto *buttons = m_buttons = new QDialogButtonBox(this);
    m_host = buttons->addButton(QStringLiteral("Host"), QDialogButtonBox::AcceptRole);
    m_host->setObjectName(QStringLiteral("button_host"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &Thost::hostClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_host->setEnabled(!text.trimmed().isEmpty()); });
}

// A standard button looks up its icon in the desktop's icon theme, which
// would cost the game window's first frame more than this dialog besides
// (the main window polishes its dialogs as it shows): Cancel comes when the
// dialog is first shown, before it is sized.
void Thost::setVisible(bool visible)
{
    if (visible && !m_buttons->button(QDialogButtonBox::Cancel))
        m_buttons->addButton(QDialogButtonBox::Cancel);
    QDialog::setVisible(visible);
}

void Thost::showEvent(QShowEvent *event)
{
    m_name->setText(m_options.playerName());
    m_host->setEnabled(!m_options.playerName().isEmpty());
    m_name->setFocus();
    QDialog::showEvent(event);
}

void Thost::hostClick()
{
    const QString name = m_name->text().trimmed();
    if (name.isEmpty())
        return;
    m_options.setPlayerName(name);
    accept();
    emit hostRequested(name, m_router->isChecked());
}

} // namespace velmora
