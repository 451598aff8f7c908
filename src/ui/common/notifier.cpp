#include "notifier.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>

namespace velmora {

namespace {
const QString Title = QStringLiteral("Velmora");

void exec(QMessageBox::Icon icon, const QString &text, QList<QPointer<QObject>> &open)
{
    QMessageBox box(icon, Title, text, QMessageBox::Ok, QApplication::activeWindow());
    // Texts may carry what the network sent; never read them as markup.
    box.setTextFormat(Qt::PlainText);
    open.append(&box);
    box.exec();
    open.removeAll(&box);
}
} // namespace

void Notifier::closeBoxes()
{
    if (m_boxes > 0)
        dismiss();
}

void Notifier::dismiss()
{
    // Innermost first: each box's own event loop returns as it closes.
    for (qsizetype i = m_open.size() - 1; i >= 0; --i)
        if (auto *box = qobject_cast<QMessageBox *>(m_open.at(i).data()))
            box->done(QMessageBox::Ok);
}

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

void Notifier::notice(const QString &text) { exec(QMessageBox::NoIcon, text, m_open); }

void Notifier::error(const QString &text) { exec(QMessageBox::Critical, text, m_open); }

} // namespace velmora
