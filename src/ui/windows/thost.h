#pragma once

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QLineEdit;
class QPushButton;

namespace velmora {

class Options;

// "Host a Table…": the player's name and whether to open the port on the
// router. "Host" keeps the name in the options and asks for the hosting
// copy; the window itself starts nothing.
class Thost : public QDialog
{
    Q_OBJECT
public:
    explicit Thost(Options &options, QWidget *parent = nullptr);

    QLineEdit *nameEdit() const { return m_name; }
    QCheckBox *routerBox() const { return m_router; }
    QPushButton *hostButton() const { return m_host; }

    void setVisible(bool visible) override;

signals:
    void hostRequested(const QString &name, bool openRouter);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void hostClick();

    Options &m_options;
    QLineEdit *m_name = nullptr;
    QCheckBox *m_router = nullptr;
    QPushButton *m_host = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

} // namespace velmora
