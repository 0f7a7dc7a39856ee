#include "import/ExternalDatabaseMdb.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <mdbtools.h>
#include <vector>

namespace {

MdbHandle* handle(void* p)
{
    return static_cast<MdbHandle*>(p);
}

// The C-locale text of one bound value, as its column's type. libmdb gives a Null as an empty
// text, so an empty value reads as Null (for text columns too).
QVariant valore(int tipo, const char* testo, int lunghezza)
{
    if (lunghezza <= 0)
        return tipo == MDB_BOOL ? QVariant(false) : QVariant();
    const QByteArray b(testo, lunghezza);
    bool ok = false;
    switch (tipo) {
    case MDB_BOOL:
        return QVariant(b.toInt(&ok) != 0);
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: {
        const qlonglong n = b.toLongLong(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC: {
        const double d = QLocale::c().toDouble(QString::fromLatin1(b).trimmed(), &ok);
        return ok ? QVariant(d) : QVariant();
    }
    case MDB_DATETIME: {
        const QDateTime t = QDateTime::fromString(QString::fromLatin1(b), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return t.isValid() ? QVariant(t) : QVariant();
    }
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
        return QString::fromUtf8(b);
    default:
        return {}; // binary and OLE objects are of no use here
    }
}

} // namespace

std::unique_ptr<SorgenteMdb> SorgenteMdb::apri(const QString& percorso, Esito& esito)
{
    if (!QFileInfo(percorso).isFile()) {
        esito = Esito::fallito(VbErr::FileNotFound, percorso);
        return nullptr;
    }
    MdbHandle* mdb = mdb_open(QFile::encodeName(percorso).constData(), MDB_NOFLAGS);
    if (!mdb) {
        esito = Esito::fallito(VbErr::NotADatabase, percorso);
        return nullptr;
    }
    if (!mdb_read_catalog(mdb, MDB_TABLE)) {
        mdb_close(mdb);
        esito = Esito::fallito(VbErr::NotADatabase, percorso);
        return nullptr;
    }
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_boolean_fmt_numbers(mdb);
    esito = Esito::riuscito();
    return std::unique_ptr<SorgenteMdb>(new SorgenteMdb(mdb));
}

SorgenteMdb::~SorgenteMdb()
{
    mdb_close(handle(m_mdb));
}

bool SorgenteMdb::jet3() const
{
    return handle(m_mdb)->f->jet_version == MDB_VER_JET3;
}

QStringList SorgenteMdb::tabelle() const
{
    QStringList l;
    MdbHandle* mdb = handle(m_mdb);
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        const auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (e->object_type == MDB_TABLE && !mdb_is_system_table(const_cast<MdbCatalogEntry*>(e)))
            l << QString::fromUtf8(e->object_name);
    }
    return l;
}

Esito SorgenteMdb::leggiTabella(const QString& nome, TabellaEsterna& tabella)
{
    MdbHandle* mdb = handle(m_mdb);
    MdbCatalogEntry* voce = nullptr;
    for (unsigned i = 0; i < mdb->num_catalog && !voce; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (e->object_type == MDB_TABLE && QString::fromUtf8(e->object_name).compare(nome, Qt::CaseInsensitive) == 0)
            voce = e;
    }
    if (!voce)
        return Esito::fallito(VbErr::DatabaseError, QStringLiteral("tabella %1 non trovata").arg(nome));
    MdbTableDef* t = mdb_read_table(voce);
    if (!t)
        return Esito::fallito(VbErr::DatabaseError, QStringLiteral("tabella %1 illeggibile").arg(nome));
    if (!mdb_read_columns(t)) {
        mdb_free_tabledef(t);
        return Esito::fallito(VbErr::DatabaseError, QStringLiteral("colonne di %1 illeggibili").arg(nome));
    }
    tabella = TabellaEsterna{};
    tabella.nome = QString::fromUtf8(voce->object_name);
    const unsigned n = t->num_cols;
    std::vector<std::vector<char>> buffer(n, std::vector<char>(mdb->bind_size + 1, 0));
    std::vector<int> lunghezze(n, 0);
    std::vector<int> tipi(n, 0);
    for (unsigned c = 0; c < n; ++c) {
        const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, c));
        tabella.colonne << QString::fromUtf8(col->name);
        tipi[c] = col->col_type;
        mdb_bind_column(t, int(c + 1), buffer[c].data(), &lunghezze[c]);
    }
    mdb_rewind_table(t);
    while (mdb_fetch_row(t)) {
        QVariantList riga;
        riga.reserve(int(n));
        for (unsigned c = 0; c < n; ++c)
            riga << valore(tipi[c], buffer[c].data(), lunghezze[c]);
        tabella.righe << riga;
    }
    mdb_free_tabledef(t);
    return Esito::riuscito();
}
