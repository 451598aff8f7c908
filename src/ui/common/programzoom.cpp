#include "programzoom.h"

#include "client/options.h"
#include "settings/settings.h"

#include <QCoreApplication>

namespace velmora {

namespace {
// Qt's variable: unlike the rounding policy it takes any factor, and it is
// the one documented way to scale a whole program.
constexpr char FactorVariable[] = "QT_SCALE_FACTOR";
int runningZoom = 100;
} // namespace

int ProgramZoom::stored(int argc, char **argv)
{
    QCoreApplication probe(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    return Settings::storedZoom(Settings::defaultPath());
}

ProgramZoom::ProgramZoom(int percent)
{
    runningZoom = Options::knownZoom(percent);
    if (runningZoom == 100)
        return;
    m_hadFactor = qEnvironmentVariableIsSet(FactorVariable);
    m_factor = qgetenv(FactorVariable);
    bool ok = false;
    double factor = m_factor.toDouble(&ok);
    if (!ok || factor <= 0)
        factor = 1;
    qputenv(FactorVariable, QByteArray::number(factor * runningZoom / 100.0));
    m_set = true;
}

void ProgramZoom::restoreEnvironment()
{
    if (!m_set)
        return;
    m_set = false;
    if (m_hadFactor)
        qputenv(FactorVariable, m_factor);
    else
        qunsetenv(FactorVariable);
}

int ProgramZoom::running() { return runningZoom; }

} // namespace velmora
