#pragma once

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmora {

class LanListener;
class Options;

// "Join a Table…": the player's name, the tables found on the local
// network (kept up to date while the window is open), and an address typed
// or chosen from the recent ones. Choosing a table from the list puts its
// address in the field; "Join" or a double-click on a table keeps the name
// and the address in the options and asks for the joining copy.
class Tjoin : public QDialog
{
    Q_OBJECT
public:
    explicit Tjoin(Options &options, QWidget *parent = nullptr);

    // "name" or "name:port" with a name of letters, digits, dots and
    // dashes (an IPv4 address is one) and a port of 1..65535.
    static bool validAddress(const QString &address);

    QLineEdit *nameEdit() const { return m_name; }
    QTreeWidget *tableList() const { return m_tables; }
    QComboBox *addressBox() const { return m_address; }
    QPushButton *joinButton() const { return m_join; }
    LanListener &listener() const { return *m_listener; }

    void setVisible(bool visible) override;

signals:
    void joinRequested(const QString &name, const QString &address);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showTables();
    void tableChosen(QTreeWidgetItem *item);
    void updateJoin();
    void joinClick();

    Options &m_options;
    LanListener *m_listener = nullptr;
    QLineEdit *m_name = nullptr;
    QTreeWidget *m_tables = nullptr;
    QComboBox *m_address = nullptr;
    QPushButton *m_join = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

} // namespace velmora
