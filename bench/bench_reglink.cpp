// The register link's bulk work, each against the bare work it cannot avoid, in one run:
// - staging and writing FilePLU for 50,000 articles against a bare read of the same rows and a
//   plain write of a file of the same size;
// - booking a received file of 20,000 sales against bare bound UPDATE + INSERT statements in one
//   transaction;
// - sending 2,000 PLU commands over UDP loopback to the fake register against bare ENQ/ACK and
//   frame/reply round trips on a plain socket;
// - the same 2,000 PLUs sent through the article window's "Invia PLU  >>>" button, with the
//   protocol's real time-outs and pauses: commands per second over the exchange (goal: 300).
// Prints times in ms, commands per second and the ratios.
#include "Riuscito.h"
#include "archive/ui/Magazzino.h"
#include "core/AppState.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "reglink/Collegamento.h"
#include "reglink/CommandSender.h"
#include "reglink/Frame.h"
#include "reglink/PluStaging.h"
#include "reglink/RegisterLine.h"
#include "reglink/StockBooking.h"
#include "reglink/Timings.h"
#include "support/FakeRegister.h"
#include "support/Pannelli.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>
#include <QUdpSocket>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

constexpr int kArticoli = 50000;
constexpr int kVendite = 20000;
constexpr int kComandi = 2000;
constexpr int kGiri = 3;

double migliore(const std::function<void()>& f, int giri = kGiri)
{
    double best = 1e300;
    for (int i = 0; i < giri; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
    }
    return best;
}

QStringList creaArchivio()
{
    QRandomGenerator rnd(20261209);
    QStringList barcode;
    Db::Transaction t;
    QSqlQuery q(Db::dbNegozio());
    q.prepare(
        QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, Genere, \"Quantità\", Costo, UnitaMisura, "
                       "BarCode, Modificato) VALUES (?, ?, ?, ?, ?, ?, ?, 1)"));
    QSqlQuery e(Db::dbNegozio());
    e.prepare(QStringLiteral("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (?, ?)"));
    QSqlQuery o(Db::dbNegozio());
    o.prepare(QStringLiteral("INSERT INTO Offerte (Articolo, DataDAL, DataAL, PrzScnt) VALUES (?, ?, ?, ?)"));
    const QString oggi = QDate::currentDate().toString(Qt::ISODate);
    for (int i = 1; i <= kArticoli; ++i) {
        const QString bc = QStringLiteral("80%1").arg(i, 11, 10, QLatin1Char('0'));
        barcode << bc;
        q.addBindValue(i);
        q.addBindValue(QStringLiteral("Articolo, n. %1 - 500g 10%").arg(i));
        q.addBindValue(i % 4 == 0 ? QStringLiteral("Reparto%1").arg(1 + i % 40) : QString::number(1 + i % 40));
        q.addBindValue(double(rnd.bounded(1000)) / 4);
        q.addBindValue(double(rnd.bounded(100000)) / 100);
        q.addBindValue(i % 3 ? QStringLiteral("Pz") : QString());
        q.addBindValue(bc);
        eseguito(q, "archive (INSERT)");
        if (i % 10 == 0) {
            e.addBindValue(i);
            e.addBindValue(QStringLiteral("90%1").arg(i, 11, 10, QLatin1Char('0')));
            eseguito(e, "archive (extra barcode)");
        }
        if (i % 20 == 0) {
            o.addBindValue(i);
            o.addBindValue(oggi);
            o.addBindValue(oggi);
            o.addBindValue(1.5);
            eseguito(o, "archive (promotion)");
        }
    }
    riuscito(t.commit(), "t.commit");
    return barcode;
}

void stagingEFile()
{
    const QString dest = Paths::inProgramFolder(QStringLiteral("bare.txt"));
    qint64 dimensione = 0;
    double soloStaging = 0, soloFile = 0;
    const double staging = migliore([&] {
        QElapsedTimer t;
        t.start();
        PannelloProva pannello;
        riuscito(PluStaging::PreparaTabxInvio(true, pannello) == PluStaging::EsitoPreparazione::Preparata,
                 "PreparaTabxInvio");
        soloStaging = double(t.nsecsElapsed()) / 1e6;
        riuscito(PluStaging::ScriviFilePLU(QStringLiteral("B"), pannello) == PluStaging::EsitoFile::Scritto,
                 "ScriviFilePLU");
        soloFile = double(t.nsecsElapsed()) / 1e6 - soloStaging;
    });
    dimensione = QFile(PluStaging::percorsoFilePLU(QStringLiteral("B"))).size();
    // The bare work: the same rows read, a file of the same size written plainly.
    auto leggiEScrivi = [&](const std::function<void(const QSqlQuery&)>& riga) {
        QSqlQuery q(Db::dbNegozio());
        q.setForwardOnly(true);
        eseguito(q,
                 QStringLiteral("SELECT CodMateriale, Descrizione, \"Quantità\", Costo, UnitaMisura, Genere, BarCode "
                                "FROM Magazzino WHERE Modificato <> 0 ORDER BY BarCode"),
                 "bare read of the changed articles");
        QByteArray out;
        out.reserve(int(dimensione));
        while (q.next()) {
            for (int c = 0; c < 7; ++c) {
                out += q.value(c).toString().toLatin1();
                out += '/';
            }
            out += "\r\n";
            riga(q);
        }
        QFile f(dest);
        riuscito(f.open(QIODevice::WriteOnly) && f.write(out) == out.size() && f.flush(), "bare file write",
                 f.errorString());
    };
    const double bare = migliore([&] { leggiEScrivi([](const QSqlQuery&) {}); });
    // The staging table must be filled too, in one transaction: the same bare work plus one plain
    // bound INSERT per row read, as the booking's bare reference does for its writes.
    const double bareTabella = migliore([&] {
        Db::Transaction t;
        QSqlQuery d(Db::dbNegozio());
        eseguito(d, QStringLiteral("DELETE FROM MagazzinoPerQuidar"), "bare staging table (DELETE)");
        QSqlQuery ins(Db::dbNegozio());
        ins.prepare(QStringLiteral("INSERT INTO MagazzinoPerQuidar (Ordinale, Descrizione, BarCode, Quantita, Prezzo, "
                                   "RepartoAss, CodArtMagazzino, UM, Modificato) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        int n = 51;
        leggiEScrivi([&](const QSqlQuery& q) {
            ins.bindValue(0, n++);
            ins.bindValue(1, q.value(1));
            ins.bindValue(2, q.value(6));
            ins.bindValue(3, q.value(2));
            ins.bindValue(4, q.value(3));
            ins.bindValue(5, q.value(5));
            ins.bindValue(6, q.value(0));
            ins.bindValue(7, q.value(4));
            ins.bindValue(8, 1);
            eseguito(ins, "bare staging table (INSERT)");
        });
        riuscito(t.commit(), "t.commit");
    });
    std::printf("staging + FilePLU, %d articles (%lld bytes): %.1f ms (last run: staging %.1f, file %.1f); "
                "bare read + write: %.1f ms; ratio %.2f; bare read + staging-table INSERTs + write: %.1f ms; "
                "ratio %.2f\n",
                kArticoli, dimensione, staging, soloStaging, soloFile, bare, staging / bare, bareTabella,
                staging / bareTabella);
}

void prenotazione(const QStringList& barcode)
{
    QRandomGenerator rnd(7);
    QStringList righe;
    QList<QPair<QString, double>> vendite;
    for (int i = 0; i < kVendite; ++i) {
        const int k = int(rnd.bounded(kArticoli));
        // Every tenth sale comes in under an extra barcode.
        const QString bc = (k + 1) % 10 == 0 && i % 10 == 0
                               ? QStringLiteral("90%1").arg(k + 1, 11, 10, QLatin1Char('0'))
                               : barcode.at(k);
        const int millesimi = int(rnd.bounded(1, 5000));
        righe << QStringLiteral("\x06\x02"
                                "00/00/00/%1/ARTICOLO/1/1.00/5.000/51/0/0/0/%2/0/0/37\x03")
                     .arg(bc)
                     .arg(millesimi);
        vendite << qMakePair(bc, millesimi / 1000.0);
    }
    const QString path = Paths::inProgramFolder(QStringLiteral("PLUQuidar1.txt"));
    riuscito(TextFile::writeLines(path, righe), "TextFile::writeLines");
    app().flagPiruNEX = true;
    const double booking =
        migliore([&] { riuscito(StockBooking::AggiornaQuantitaDaFilePLU(path, 1).ok, "AggiornaQuantitaDaFilePLU"); });
    const double bare = migliore([&] {
        Db::Transaction t;
        QSqlQuery u(Db::dbNegozio());
        u.prepare(QStringLiteral("UPDATE Magazzino SET \"Quantità\" = \"Quantità\" - ? WHERE BarCode = ?"));
        QSqlQuery s(Db::dbNegozio());
        s.prepare(QStringLiteral("INSERT INTO StoricoPLU (DataModif, EAN, Qta) VALUES (?, ?, ?)"));
        const QString oggi = QDate::currentDate().toString(Qt::ISODate);
        for (const auto& v : vendite) {
            u.bindValue(0, v.second);
            u.bindValue(1, v.first);
            eseguito(u, "bare booking (UPDATE)");
            s.bindValue(0, oggi);
            s.bindValue(1, v.first);
            s.bindValue(2, v.second);
            eseguito(s, "bare booking (INSERT)");
        }
        riuscito(t.commit(), "t.commit");
    });
    std::printf("booking %d sales: %.1f ms; bare UPDATE + INSERT: %.1f ms; ratio %.2f\n", kVendite, booking, bare,
                booking / bare);
}

// The fake register on loopback UDP, the protocol's own timings, a fresh line (failure files go to the test
// interaction).
std::unique_ptr<FakeRegister> registroUdp()
{
    auto reg = FakeRegister::udp();
    RegLink::Timings t = RegLink::Timings::veloci();
    t.portaUDP = reg->port();
    RegLink::timings() = t;
    Contesto::collegamento().chiudiLinea();
    return reg;
}

void invioUdp()
{
    app().wait.scale = 1.0; // the protocol's own time-outs and pauses
    auto reg = registroUdp();

    QStringList righe;
    for (int i = 0; i < kComandi; ++i)
        righe << QStringLiteral("P/%1/80%2/ARTICOLO %1/3/0/1.20/150.00/12.000/00010000/")
                     .arg(51 + i)
                     .arg(i, 11, 10, QLatin1Char('0'));
    const QString file = Paths::inProgramFolder(QStringLiteral("FilePLU127002.txt"));
    riuscito(TextFile::writeLines(file, righe), "TextFile::writeLines");

    bool esito = false;
    const double invio = migliore(
        [&] {
            RegLink::risposte().contatoreApertura = 0;
            NoProgress righe;
            StatoLineaProva stato;
            esito = RegLink::EsameComandi(file, reg->address(), righe, stato);
        },
        1);
    riuscito(esito && reg->plu().size() == kComandi, "EsameComandi over UDP",
             QStringLiteral("%1 PLUs stored of %2").arg(reg->plu().size()).arg(kComandi));
    Contesto::collegamento().chiudiLinea();

    // The bare exchange: ENQ and its ACK, the frame and its reply, on a plain socket.
    QUdpSocket s;
    s.bind(QHostAddress(QHostAddress::LocalHost), 0);
    const QHostAddress dest(reg->address());
    auto attendi = [&](const std::function<bool(const QByteArray&)>& ok) {
        QElapsedTimer w;
        w.start();
        while (w.elapsed() < 3000) {
            while (s.hasPendingDatagrams()) {
                const QByteArray d = s.receiveDatagram().data();
                if (ok(d))
                    return true;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        return false;
    };
    int riusciti = 0;
    const double bare = migliore(
        [&] {
            for (const QString& r : righe) {
                s.writeDatagram(QByteArray(1, RegLink::ENQ), dest, reg->port());
                if (!attendi([](const QByteArray& d) { return d.endsWith(RegLink::ACK); }))
                    continue;
                s.writeDatagram(RegLink::FrameComando(r), dest, reg->port());
                if (attendi([](const QByteArray& d) { return d.endsWith(RegLink::ETX); }))
                    ++riusciti;
                s.writeDatagram(QByteArray(1, RegLink::ACK), dest, reg->port());
            }
        },
        1);
    riuscito(riusciti == kComandi, "bare round trips", QStringLiteral("%1 answered of %2").arg(riusciti).arg(kComandi));
    std::printf("EsameComandi over UDP, %d commands (%s, %d stored): %.1f ms = %.0f commands/s; bare round trips "
                "(%d answered): %.1f ms = %.0f/s; ratio %.2f\n",
                kComandi, esito ? "ok" : "FAILED", int(reg->plu().size()), invio, kComandi * 1000.0 / invio, riusciti,
                bare, kComandi * 1000.0 / bare, invio / bare);
    RegLink::timings() = RegLink::Timings{};
}

// The shop keeper's path: 2,000 changed articles, register 1 by network address, the button.
void invioDallaFinestra()
{
    TestEnv env(true, 1.0);
    auto reg = registroUdp();
    riuscito(ScriviINI(env.setup(), QStringLiteral("RegCassa"), QStringLiteral("PiruNEX"), QStringLiteral("Falso")),
             "ScriviINI");
    app().portaETH1 = reg->address();
    {
        Db::Transaction tr;
        QSqlQuery q(Db::dbNegozio());
        q.prepare(
            QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, Genere, \"Quantità\", Costo, BarCode, "
                           "Modificato) VALUES (?, ?, '3', 12, 1.2, ?, 1)"));
        for (int i = 1; i <= kComandi; ++i) {
            q.addBindValue(i);
            q.addBindValue(QStringLiteral("ARTICOLO %1").arg(i));
            q.addBindValue(QStringLiteral("80%1").arg(i, 11, 10, QLatin1Char('0')));
            eseguito(q, "changed articles (INSERT)");
        }
        riuscito(tr.commit(), "tr.commit");
    }
    Magazzino& w = Forms::get<Magazzino>();
    w.showModeless();
    riuscito(QTest::qWaitForWindowExposed(&w), "article window (shown)");
    w.ckModificati->setChecked(true);
    QElapsedTimer clic;
    clic.start();
    w.cmdInviaPLU->click();
    const double totale = double(clic.nsecsElapsed()) / 1e6;
    const double scambio = double(reg->lastReplyAt() - reg->firstEnqAt()) / 1e6;
    const int ricevuti = int(reg->commands().size());
    riuscito(reg->plu().size() == kComandi, "Invia PLU through the article window",
             QStringLiteral("%1 PLUs stored of %2; %3")
                 .arg(reg->plu().size())
                 .arg(kComandi)
                 .arg(env.interazione().asked.join(QLatin1Char('/'))));
    std::printf("through the article window (Invia PLU, %d changed PLUs over UDP, real time-outs and pauses): "
                "click %.1f ms including the fixed pauses of the send (staging 1.5 s, 0.5 s, two notices of 2.5 s); "
                "exchange from the first ENQ to the last reply %.1f ms for %d commands = %.0f commands/s (goal >= "
                "300: %s)\n",
                kComandi, totale, scambio, ricevuti, ricevuti * 1000.0 / scambio,
                ricevuti * 1000.0 / scambio >= 300 ? "met" : "NOT met");
    Contesto::collegamento().chiudiLinea();
    RegLink::timings() = RegLink::Timings{};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication a(argc, argv);
    invioDallaFinestra();
    TestEnv env(true, 0.0);
    app().flagPiruNEX = false;
    const QStringList barcode = creaArchivio();
    stagingEFile();
    prenotazione(barcode);
    invioUdp();
    return 0;
}
