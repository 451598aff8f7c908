#include "chattersounds.h"

namespace velmora::chatter {

namespace {
const char *const Captions[Count + 1] = {
    "<Cancel>",       "Doh",          "Cough",  "Hello",   "Thank You", "Where have you been?",
    "Snoring",        "Sneezing",     "Sorry",  "Welcome", "Yeehaa",    "Yippee",
    "Oh No",          "Applause",     "Honk",   "Oooh",    "Razzberry", "Cheer",
    "Woman Laughing", "Man Laughing", "Crying",
};
} // namespace

QString caption(int number)
{
    return number >= 0 && number <= Count ? QLatin1String(Captions[number]) : QString();
}

QByteArray soundName(int number) { return "wave" + QByteArray::number(number); }

std::optional<int> numberOf(const QString &name)
{
    const QLatin1String prefix("wave");
    if (!name.startsWith(prefix, Qt::CaseInsensitive))
        return std::nullopt;
    const QStringView digits = QStringView(name).mid(prefix.size());
    // Only the exact spelling "wave" + n: no sign, no leading zero, no space.
    if (digits.isEmpty() || digits.size() > 2 || digits.front() == u'0')
        return std::nullopt;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const int number = digits.toInt();
    if (number > Count)
        return std::nullopt;
    return number;
}

} // namespace velmora::chatter
