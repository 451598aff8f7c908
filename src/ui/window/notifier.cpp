#include "notifier.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>

namespace velmora {

namespace {
const QString Title = QStringLiteral("Velmora");

void exec(QMessageBox::Icon icon, const QString &text)
{
    QMessageBox box(icon, Title, text, QMessageBox::Ok, QApplication::activeWindow());
    // Texts may carry what the network sent; never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
} // namespace

void Notifier::showNotice(const QString &text)
{
    ++m_boxes;
    try {
        notice(text);
    } catch (...) {
    }
    --m_boxes;
}

void Notifier::showError(const QString &message)
{
    const QString text = message + QLatin1Char('.');
    if (m_boxes > 0) {
        qWarning("%s", qPrintable(text));
        return;
    }
    ++m_boxes;
    try {
        error(text);
    } catch (...) {
    }
    --m_boxes;
}

bool Notifier::openUrl(const QUrl &url) { return QDesktopServices::openUrl(url); }

void Notifier::notice(const QString &text) { exec(QMessageBox::NoIcon, text); }

void Notifier::error(const QString &text) { exec(QMessageBox::Critical, text); }

} // namespace velmora
