#include "support/StampantiProva.h"

#include "core/Contesto.h"

#include <QDir>
#include <QFile>
#include <QPrinter>

namespace {
// lpoptions' own code for an unknown destination.
constexpr int kStampanteSconosciuta = 1;
} // namespace

StampantiProva::StampantiProva()
{
    cartella = m_dir.path();
}

void StampantiProva::installa(const QStringList& n, const QStringList& g)
{
    nomi = n;
    guaste = g;
    m_predefinita = nomi.value(0);
}

int StampantiProva::impostaPredefinita(const QString& nome)
{
    if (!nomi.contains(nome) || guaste.contains(nome))
        return kStampanteSconosciuta;
    m_predefinita = nome;
    return 0;
}

std::unique_ptr<QPrinter> StampantiProva::lavoro(const QString& nome)
{
    if (!nomi.contains(nome))
        return nullptr;
    QDir().mkpath(cartella);
    QString base;
    for (const QChar c : nome)
        base += c.isLetterOrNumber() ? c : QLatin1Char('_');
    if (base.isEmpty())
        base = QStringLiteral("stampa");
    QString file;
    for (int n = 1; file.isEmpty() || QFile::exists(file); ++n)
        file = QDir(cartella).filePath(QStringLiteral("%1-%2.pdf").arg(base).arg(n, 3, 10, QLatin1Char('0')));
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setOutputFileName(file);
    p->setDocName(nome);
    return p;
}

QStringList StampantiProva::lavori() const
{
    return QDir(cartella).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}
