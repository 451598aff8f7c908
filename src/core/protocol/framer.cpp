#include "framer.h"

namespace velmora {

bool Framer::feed(const QByteArray &bytes, QList<QByteArray> &out)
{
    m_buffer.append(bytes);
    qsizetype start = 0;
    for (;;) {
        const auto end = m_buffer.indexOf(Terminator, start);
        if (end < 0)
            break;
        out.append(m_buffer.mid(start, end - start));
        start = end + 1;
    }
    m_buffer.remove(0, start);
    if (m_buffer.size() > m_limit) {
        m_buffer.clear();
        return false;
    }
    return true;
}

} // namespace velmora
