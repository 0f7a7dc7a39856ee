// The register link's bulk work, each against the same work it cannot avoid, in one run:
// - staging and writing FilePLU for 50,000 changed articles against the same through SQLite's C
//   API: the same reads, the staging table filled, read back in barcode order and written as a
//   file (goal: ratio <= 1.5);
// - booking a received file of 20,000 sales against bare UPDATE + INSERT statements through the
//   C API in one transaction (goal: ratio <= 1.5);
// - sending 2,000 PLU commands over UDP loopback to the fake register against bare ENQ/ACK and
//   frame/reply round trips on a plain socket (no database: the ratio is printed, no goal);
// - the same 2,000 PLUs sent through the article window's "Invia PLU  >>>" button, with the
//   protocol's real time-outs and pauses: commands per second over the exchange (goal: 300).
// Each database side is timed three times and its median printed. A goal missed ends the run with
// a non-zero exit.
#include "Misura.h"
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

// One article as the bare side reads it for staging.
struct ArticoloNudo
{
    sqlite3_int64 cod = 0;
    QByteArray descrizione, unita, genere, barCode;
    double quantita = 0, costo = 0;
};

QByteArray colonnaTesto(sqlite3_stmt* s, int c)
{
    return QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(s, c)), sqlite3_column_bytes(s, c));
}

// The bare staging and file: the same three reads, the staging table emptied and filled in one
// transaction, read back in barcode order and written as the file.
void stagingNudo(Nudo& nudo, const QString& dest)
{
    std::vector<ArticoloNudo> articoli;
    articoli.reserve(kArticoli);
    sqlite3_stmt* q = nudo.prepara("SELECT CodMateriale, Descrizione, \"Quantità\", Costo, UnitaMisura, Genere, "
                                   "BarCode FROM Magazzino WHERE Modificato <> 0 ORDER BY BarCode ASC");
    while (passoSqlite(q, "bare read of the changed articles") == SQLITE_ROW)
        articoli.push_back({sqlite3_column_int64(q, 0), colonnaTesto(q, 1), colonnaTesto(q, 4), colonnaTesto(q, 5),
                            colonnaTesto(q, 6), sqlite3_column_double(q, 2), sqlite3_column_double(q, 3)});
    sqlite3_finalize(q);
    QHash<sqlite3_int64, double> offerte;
    q = nudo.prepara("SELECT Articolo, DataDAL, DataAL, PrzScnt FROM Offerte ORDER BY rowid");
    while (passoSqlite(q, "bare read of the promotions") == SQLITE_ROW)
        offerte.insert(sqlite3_column_int64(q, 0), sqlite3_column_double(q, 3));
    sqlite3_finalize(q);
    QHash<sqlite3_int64, QList<QByteArray>> ulteriori;
    q = nudo.prepara("SELECT CodProd, BarCode FROM BarCodeUlteriori WHERE BarCode IS NOT NULL "
                     "ORDER BY CodProd, BarCode ASC");
    while (passoSqlite(q, "bare read of the extra barcodes") == SQLITE_ROW)
        ulteriori[sqlite3_column_int64(q, 0)] << colonnaTesto(q, 1);
    sqlite3_finalize(q);

    nudo.esegui("BEGIN");
    nudo.esegui("DELETE FROM MagazzinoPerQuidar");
    sqlite3_stmt* ins = nudo.prepara("INSERT INTO MagazzinoPerQuidar (Ordinale, Descrizione, BarCode, Quantita, "
                                     "Prezzo, RepartoAss, CodArtMagazzino, UM, Modificato) VALUES (?, ?, ?, ?, ?, ?, "
                                     "?, ?, 1)");
    int numero = 51;
    for (const ArticoloNudo& a : articoli) {
        if (a.barCode.isEmpty())
            continue;
        const auto o = offerte.constFind(a.cod);
        const QByteArray quantita = QByteArray::number(a.quantita, 'f', 3);
        const QByteArray prezzo = QByteArray::number(o != offerte.cend() ? *o : a.costo, 'f', 2);
        const QByteArray codice = QByteArray::number(a.cod);
        auto riga = [&](const QByteArray& bc) {
            sqlite3_bind_int(ins, 1, numero++);
            legaTesto(ins, 2, a.descrizione);
            legaTesto(ins, 3, bc);
            legaTesto(ins, 4, quantita);
            legaTesto(ins, 5, prezzo);
            legaTesto(ins, 6, a.genere);
            legaTesto(ins, 7, codice);
            legaTesto(ins, 8, a.unita);
            scriviNudo(ins, "bare staging table (INSERT)");
        };
        riga(a.barCode);
        for (const QByteArray& e : ulteriori.value(a.cod))
            riga(e);
    }
    sqlite3_finalize(ins);
    nudo.esegui("COMMIT");

    q = nudo.prepara("SELECT Ordinale, Descrizione, BarCode, Quantita, Prezzo, RepartoAss, Modificato FROM "
                     "MagazzinoPerQuidar ORDER BY BarCode ASC, rowid ASC");
    QByteArray out;
    out.reserve(int(articoli.size()) * 96);
    while (passoSqlite(q, "bare read of the staging table") == SQLITE_ROW) {
        out += "A/";
        out += colonnaTesto(q, 2);
        out += '/';
        out += colonnaTesto(q, 1);
        out += '/';
        out += colonnaTesto(q, 5);
        out += "/0/";
        out += colonnaTesto(q, 4);
        out += "/150.00/";
        out += colonnaTesto(q, 3);
        out += "/00010000/\r\n";
    }
    sqlite3_finalize(q);
    QFile f(dest);
    riuscito(f.open(QIODevice::WriteOnly) && f.write(out) == out.size() && f.flush(), "bare file write",
             f.errorString());
}

void stagingEFile(Obiettivi& obiettivi, Nudo& nudo)
{
    const QString dest = Paths::inProgramFolder(QStringLiteral("bare.txt"));
    double soloStaging = 0, soloFile = 0;
    const double staging = mediana(kGiri, [&] {
        return cronometra([&] {
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
    });
    const qint64 dimensione = QFile(PluStaging::percorsoFilePLU(QStringLiteral("B"))).size();
    const double bare = mediana(kGiri, [&] { return cronometra([&] { stagingNudo(nudo, dest); }); });
    obiettivi.rapporto(QStringLiteral("staging + FilePLU, %1 articles").arg(kArticoli), staging, bare, 1.5,
                       QStringLiteral("(file %1 bytes, bare %2; last run: staging %3 ms, file %4 ms)")
                           .arg(dimensione)
                           .arg(QFile(dest).size())
                           .arg(soloStaging, 0, 'f', 1)
                           .arg(soloFile, 0, 'f', 1));
}

void prenotazione(Obiettivi& obiettivi, Nudo& nudo, const QStringList& barcode)
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
    const double booking = mediana(kGiri, [&] {
        return cronometra(
            [&] { riuscito(StockBooking::AggiornaQuantitaDaFilePLU(path, 1).ok, "AggiornaQuantitaDaFilePLU"); });
    });
    std::vector<std::pair<QByteArray, double>> nude;
    for (const auto& v : std::as_const(vendite))
        nude.emplace_back(v.first.toUtf8(), v.second);
    const QByteArray oggi = QDate::currentDate().toString(Qt::ISODate).toUtf8();
    const double bare = mediana(kGiri, [&] {
        return cronometra([&] {
            nudo.esegui("BEGIN");
            sqlite3_stmt* u = nudo.prepara("UPDATE Magazzino SET \"Quantità\" = \"Quantità\" - ? WHERE BarCode = ?");
            sqlite3_stmt* s = nudo.prepara("INSERT INTO StoricoPLU (DataModif, EAN, Qta) VALUES (?, ?, ?)");
            for (const auto& [bc, qta] : nude) {
                sqlite3_bind_double(u, 1, qta);
                legaTesto(u, 2, bc);
                scriviNudo(u, "bare booking (UPDATE)");
                legaTesto(s, 1, oggi);
                legaTesto(s, 2, bc);
                sqlite3_bind_double(s, 3, qta);
                scriviNudo(s, "bare booking (INSERT)");
            }
            sqlite3_finalize(u);
            sqlite3_finalize(s);
            nudo.esegui("COMMIT");
        });
    });
    obiettivi.rapporto(QStringLiteral("booking %1 sales").arg(kVendite), booking, bare, 1.5);
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
void invioDallaFinestra(Obiettivi& obiettivi)
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
    // The send's two notices wait 2.5 s each in the program, and its question whether to send to
    // another station waits for the user; the test interaction answers all three at once (the
    // marks are kept), so the click holds the send's fixed pauses and the exchange only.
    std::printf("through the article window (Invia PLU, %d changed PLUs over UDP, real time-outs and pauses): click "
                "%.1f ms = the fixed pauses (1.5 s before staging, 0.5 s before the send) + staging and file + the "
                "exchange; its two notices and its question are answered at once here\n",
                kComandi, totale);
    obiettivi.minimo(QStringLiteral("exchange, first ENQ to last reply (%1 commands in %2 ms)")
                         .arg(ricevuti)
                         .arg(scambio, 0, 'f', 1),
                     ricevuti * 1000.0 / scambio, 300, "commands/s");
    Contesto::collegamento().chiudiLinea();
    RegLink::timings() = RegLink::Timings{};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication a(argc, argv);
    Obiettivi obiettivi;
    invioDallaFinestra(obiettivi);
    TestEnv env(true, 0.0);
    app().flagPiruNEX = false;
    const QStringList barcode = creaArchivio();
    Nudo nudo(Db::currentPath());
    stagingEFile(obiettivi, nudo);
    prenotazione(obiettivi, nudo, barcode);
    invioUdp();
    return obiettivi.esito();
}
