#pragma once

#include <QWidget>

#include <memory>

class QButtonGroup;
class QLabel;
class QStackedWidget;
class QUrl;

namespace velmora {

class Notifier;

// The help window: six pages of text chosen by the buttons on the left, the
// chosen page's title above it. The page shown stays chosen between
// openings. Links in the pages open in the desktop's browser. Closing only
// hides it.
class Thelp : public QWidget
{
    Q_OBJECT
public:
    static constexpr int PageCount = 6;

    explicit Thelp(Notifier *notifier = nullptr, QWidget *parent = nullptr);
    ~Thelp() override;

    int currentPage() const;
    // Brings page 1..PageCount to the front (the page buttons' handler).
    void SelButton1Click(int tag);

signals:
    // The "About" button: the receiver shows the about box.
    void aboutRequested();

private:
    void openLink(const QUrl &url);

    std::unique_ptr<Notifier> m_ownNotifier;
    Notifier *m_notifier = nullptr;
    QButtonGroup *m_buttons = nullptr;
    QLabel *m_caption = nullptr;
    QStackedWidget *m_pages = nullptr;
};

} // namespace velmora
