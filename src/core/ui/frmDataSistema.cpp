#include "core/ui/frmDataSistema.h"

#include "core/VbConvert.h"
#include "core/config/DataSistema.h"
#include "core/ui/Ui.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmDataSistema::frmDataSistema(QWidget* parent) : FormBase(parent)
{
    setObjectName(QStringLiteral("frmDataSistema"));
    setWindowTitle(QStringLiteral("Controllo Data di Sistema"));
    auto* lay = new QVBoxLayout(this);
    lblAvviso = named(new QLabel(this), QStringLiteral("lblAvviso"));
    lblAvviso->setWordWrap(true);
    lay->addWidget(lblAvviso);
    txtNewData = named(new QLineEdit(this), QStringLiteral("txtNewData"), QStringLiteral("Data corretta (gg/mm/aaaa)"));
    txtNewData->setMaxLength(10);
    txtNewData->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
    lay->addWidget(txtNewData);
    cmdOk = named(new QPushButton(QStringLiteral("&Conferma"), this), QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    lay->addWidget(cmdOk);
    connect(cmdOk, &QPushButton::clicked, this, &frmDataSistema::cmdOk_Click);
    connect(txtNewData, &QLineEdit::returnPressed, this, &frmDataSistema::cmdOk_Click);
    AssegnaImmaginiPulsanti(this);
    resize(440, 180);
    centraSuSchermo(this);
}

void frmDataSistema::setDataMemorizzata(const QString& stored)
{
    lblAvviso->setText(QStringLiteral("ATTENZIONE: la data del computer (%1) è precedente all'ultimo avvio del "
                                      "programma (%2).\nScrivere la data di oggi nel formato gg/mm/aaaa.")
                           .arg(Vb::formatDate(QDate::currentDate()), stored));
}

void frmDataSistema::cmdOk_Click()
{
    const QDate d = Vb::parseDate(txtNewData->text());
    if (!d.isValid()) {
        Msg::box(QStringLiteral("Data non valida: scrivere la data nel formato gg/mm/aaaa (es. 09/12/2026)."),
                 QMessageBox::Ok, QMessageBox::Warning);
        txtNewData->selectAll();
        txtNewData->setFocus();
        return;
    }
    if (!Config::DataSistema::scrivi(d)) {
        Msg::box(QStringLiteral("Impossibile salvare la data nel file Setup.ini."), QMessageBox::Ok,
                 QMessageBox::Critical);
    }
    m_scelta = d;
    unload();
}
