#include "core/ui/frmInfo.h"

#include "core/AppState.h"
#include "core/Wait.h"
#include "core/ui/Ui.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

frmInfo::frmInfo(QWidget* parent) : FormBase(parent)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(app().titoloProgramma);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* lay = new QVBoxLayout(this);
    lblMsg = named(new QLabel(this), QStringLiteral("lblMsg"));
    lblMsg->setWordWrap(true);
    lblMsg->setAlignment(Qt::AlignCenter);
    QFont f = lblMsg->font();
    f.setPointSize(f.pointSize() + 3);
    f.setBold(true);
    lblMsg->setFont(f);
    lay->addWidget(lblMsg);
    resize(460, 160);
    centraSuSchermo(this);
}

void frmInfo::formActivate()
{
    chiudiDopoAttesa();
}

void frmInfo::showEvent(QShowEvent* e)
{
    FormBase::showEvent(e);
    QPointer<frmInfo> self(this);
    QTimer::singleShot(200, this, [self] {
        if (self && self->isVisible())
            self->chiudiDopoAttesa();
    });
}

void frmInfo::chiudiDopoAttesa()
{
    if (m_inAttesa || isUnloading())
        return;
    m_inAttesa = true;
    QPointer<frmInfo> self(this);
    LasciaScorrereEventi(InputUtente::Trattenuto);
    Attesa(2500, InputUtente::Trattenuto);
    app().saltaAggiornamento = true;
    if (self)
        unload();
}

void frmInfo::mostra(const QString& text, bool wait)
{
    frmInfo& f = Forms::get<frmInfo>();
    // CR LF is a line break, as in the message boxes.
    QString t = text;
    f.lblMsg->setText(t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (wait)
        f.showModal();
    else
        f.showModeless();
}
