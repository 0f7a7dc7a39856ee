// The typed settings: missing keys, the write-back of defaults, and the one answer for [Cartelle] OUT.
#include "core/IniFile.h"
#include "core/config/Cartelle.h"
#include "core/config/Flag.h"
#include "core/config/Generali.h"
#include "core/config/RegCassa.h"
#include "support/TestEnv.h"

#include <QtTest>

class TestConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The command sender writes "C:" for a missing OUT; from then on every reader sees "C:".
    void cartelleOutHasOneAnswer()
    {
        TestEnv env(false);
        QCOMPARE(Config::Cartelle::leggi().out, QString());
        ScriviINI(env.setup(), "Cartelle", "OUT", "?");
        QCOMPARE(Config::Cartelle::leggi().out, QString());
        QCOMPARE(Config::Cartelle::outPerComandi(), QString("C:"));
        QCOMPARE(LeggiINI(env.setup(), "Cartelle", "OUT", "?"), QString("C:"));
        QCOMPARE(Config::Cartelle::leggi().out, QString("C:"));
        QVERIFY((Config::Cartelle{"/in", "/out"}.scrivi()));
        QCOMPARE(Config::Cartelle::leggi().in, QString("/in"));
        QCOMPARE(Config::Cartelle::outPerComandi(), QString("/out"));
    }

    void flagsWrittenWhenMissing()
    {
        TestEnv env(false);
        QVERIFY(!Config::Generale::flag("VerificaCodiceFornitore"));
        QCOMPARE(LeggiINI(env.setup(), "Config", "VerificaCodiceFornitore", "?"), QString("Falso"));
        ScriviINI(env.setup(), "Config", "VerificaCodiceFornitore", "vero");
        QVERIFY(Config::Generale::flag("VerificaCodiceFornitore"));
        // An empty value is a value for [Config], missing for PiruNEX and AvvisoAttivo.
        ScriviINI(env.setup(), "Config", "SalvaRepartoComeCODICE", "");
        QVERIFY(Config::Generale::salvaRepartoComeCodice());
        ScriviINI(env.setup(), "RegCassa", "PiruNEX", "");
        QVERIFY(!Config::RegCassa::piruNEX());
        QCOMPARE(LeggiINI(env.setup(), "RegCassa", "PiruNEX", "?"), QString("Falso"));
        QVERIFY(!Config::Promozioni::avvisoAttivo());
        QCOMPARE(LeggiINI(env.setup(), "Promozioni", "AvvisoAttivo", "?"), QString("Falso"));
    }

    void regCassaRoundTrip()
    {
        TestEnv env(false);
        Config::RegCassa r = Config::RegCassa::leggi();
        QCOMPARE(r.porte.portaCOM, QString());
        QCOMPARE(r.porte.linea.velocita, QString("9600"));
        QCOMPARE(r.portaETH1, QString());
        QVERIFY(!r.piruNEXImpostato);
        r.porte.portaCOM = "3";
        r.porte.linea.velocita = "19200";
        r.portaETH1 = "192.168.1.20";
        r.modello = "QUIDAR";
        QVERIFY(r.scrivi());
        QVERIFY(Config::RegCassa::scriviPiruNEX(true));
        const Config::RegCassa l = Config::RegCassa::leggi();
        QCOMPARE(l.porte.portaCOM, QString("3"));
        QCOMPARE(l.porte.linea.velocita, QString("19200"));
        QCOMPARE(l.portaETH1, QString("192.168.1.20"));
        QCOMPARE(l.modello, QString("QUIDAR"));
        QVERIFY(l.piruNEXImpostato);
        r.portaETH1.clear();
        QVERIFY(r.scrivi());
        QCOMPARE(LeggiINI(env.setup(), "RegCassa", "PortaETH1", "x"), QString("?"));
    }
};

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
