#pragma once
// The external database read through mdbtools' libmdb: Access files of Jet 3 and Jet 4. Values
// come from the library as C-locale text and are read back by the column's type.
#include "import/ExternalDatabase.h"

class SorgenteMdb final : public SorgenteEsterna
{
public:
    // nullptr with `esito` set when the file is missing or no Access database.
    static std::unique_ptr<SorgenteMdb> apri(const QString& percorso, Esito& esito);
    ~SorgenteMdb() override;

    Esito leggiTabella(const QString& nome, TabellaEsterna& tabella) override;
    QStringList tabelle() const; // the user tables
    bool jet3() const;

    SorgenteMdb(const SorgenteMdb&) = delete;
    SorgenteMdb& operator=(const SorgenteMdb&) = delete;

private:
    explicit SorgenteMdb(void* handle) : m_mdb(handle) {}
    void* m_mdb; // MdbHandle*
};
