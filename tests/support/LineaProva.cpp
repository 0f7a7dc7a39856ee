#include "support/LineaProva.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "reglink/Timings.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QTest>

LineaProva::LineaProva(std::optional<double> scalaAttese)
{
    RegLink::timings() = RegLink::Timings::veloci();
    if (scalaAttese)
        app().wait.scale = *scalaAttese;
}

void cartellaOutProva(const TestEnv& env)
{
    QDir(env.home()).mkpath(QStringLiteral("out"));
    QVERIFY(ScriviINI(env.setup(), QStringLiteral("Cartelle"), QStringLiteral("OUT"), env.path(QStringLiteral("out"))));
}
