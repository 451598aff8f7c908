#pragma once

#include "common/notifier.h"

#include <QList>
#include <QStringList>
#include <QUrl>

#include <functional>

// Stands in for message boxes and the desktop's opener: records what the
// program would have shown or opened, so tests never block on a dialog.
class RecordingNotifier : public velmora::Notifier
{
public:
    QStringList notices;
    QStringList errors;
    QList<QUrl> opened;
    bool openSucceeds = true;
    std::function<void()> onNotice;

    bool openUrl(const QUrl &url) override
    {
        opened.append(url);
        return openSucceeds;
    }

protected:
    void notice(const QString &text) override
    {
        notices.append(text);
        if (onNotice)
            onNotice();
    }
    void error(const QString &text) override { errors.append(text); }
};
