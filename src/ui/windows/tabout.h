#pragma once

#include <QDialog>
#include <QUrl>

#include <memory>

class QLabel;

namespace velmora {

class Notifier;

// The about box: logo, the maker's web address as a link, the credits with
// a copyright notice running to the current year, and the version. Its
// version label shows the version that the client sends at login. Closing
// only hides it.
class Tabout : public QDialog
{
    Q_OBJECT
public:
    // The maker's web site, shown without its scheme under the logo; the
    // game window's logo opens it too.
    static constexpr char MakerAddress[] = "www.pelox8.example";
    static QUrl makerUrl();
    // The copyright notices run from this year to the current one.
    static constexpr int FirstYear = 2005;

    explicit Tabout(Notifier *notifier = nullptr, QWidget *parent = nullptr);
    ~Tabout() override;

    QString versionText() const;

    // Opens the maker's site through the desktop (the link's click, and the
    // game window's logo).
    void Label7Click();

private:
    std::unique_ptr<Notifier> m_ownNotifier;
    Notifier *m_notifier = nullptr;
    QLabel *m_version = nullptr;
};

} // namespace velmora
