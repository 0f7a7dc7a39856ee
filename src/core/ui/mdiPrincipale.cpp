#include "core/ui/mdiPrincipale.h"

#include "core/AppState.h"
#include "core/ErrorLog.h"
#include "core/Programma.h"
#include "core/config/InterfacciaUtente.h"
#include "core/ui/Ui.h"
#include "core/ui/frmSetupCassa.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMdiArea>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QToolBar>
#include <QVBoxLayout>

mdiPrincipale::mdiPrincipale(QWidget* parent) : FormBase(parent)
{
    setObjectName(QStringLiteral("mdiPrincipale"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);

    Toolbar1 = named(new QToolBar(this), QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Toolbar1->setIconSize(QSize(32, 32));
    auto addButton = [this](const QString& key, const QString& text, QStyle::StandardPixmap px, const QString& theme) {
        QAction* a = Toolbar1->addAction(QIcon::fromTheme(theme, style()->standardIcon(px)), text);
        a->setObjectName(key);
        a->setData(key);
        connect(a, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        if (QWidget* w = Toolbar1->widgetForAction(a))
            named(w, key, text);
    };
    addButton(QStringLiteral("tbMaga"), QStringLiteral("Magazzino"), QStyle::SP_DirHomeIcon, QStringLiteral("folder"));
    addButton(QStringLiteral("tbImpo"), QStringLiteral("Impostazioni"), QStyle::SP_FileDialogDetailedView,
              QStringLiteral("preferences-system"));
    addButton(QStringLiteral("tbEsci"), QStringLiteral("Esci"), QStyle::SP_DialogCloseButton,
              QStringLiteral("application-exit"));
    lay->addWidget(Toolbar1);

    SSTab1 = named(new QTabBar(this), QStringLiteral("SSTab1"));
    SSTab1->hide();
    lay->addWidget(SSTab1);

    mdiArea = named(new QMdiArea(this), QStringLiteral("mdiArea"));
    lay->addWidget(mdiArea, 1);
    pctSfondo = named(new QLabel(mdiArea->viewport()), QStringLiteral("pctSfondo"));
    pctSfondo->setAlignment(Qt::AlignCenter);
    Image1 = named(new QLabel(pctSfondo), QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setScaledContents(true);

    StatusBar1 = named(new QStatusBar(this), QStringLiteral("StatusBar1"));
    lay->addWidget(StatusBar1);
    // On a 1024x768 screen the frame and the title bar must fit too.
    const QScreen* schermo = QApplication::primaryScreen();
    const QRect area = schermo ? schermo->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(qMin(1024, area.width() - 16), qMin(700, area.height() - 48));
    centraSuSchermo(this);
}

QAction* mdiPrincipale::button(const QString& key) const
{
    return Toolbar1->findChild<QAction*>(key);
}

void mdiPrincipale::formLoad()
{
    setWindowTitle(app().titoloProgramma);
    StatusBar1->showMessage(app().testoStato.simplified());
}

void mdiPrincipale::formActivate()
{
    const QString img = Config::InterfacciaUtente::leggi().imgSfondo;
    if (img.isEmpty() || !QFileInfo(img).isFile()) {
        pctSfondo->hide();
        m_sfondoNascosto = true;
        return;
    }
    QImageReader reader(img);
    const QImage image = reader.read();
    if (image.isNull()) {
        // A file that is not a picture: logged, no background.
        ScriviErrore(objectName(), QStringLiteral("MDIForm_Activate"), VbErr::TypeMismatch, img);
        Image1->clear();
        m_picture = QPixmap();
        pctSfondo->hide();
        m_sfondoNascosto = true;
        return;
    }
    m_picture = QPixmap::fromImage(image);
    Image1->setPixmap(m_picture);
    app().immagineSfondo = img;
    if (!m_sfondoNascosto)
        pctSfondo->show();
    MDIForm_Resize();
}

void mdiPrincipale::resizeEvent(QResizeEvent* e)
{
    FormBase::resizeEvent(e);
    MDIForm_Resize();
}

void mdiPrincipale::MDIForm_Resize()
{
    if (isMinimized())
        return;
    const QSize area = mdiArea->viewport()->size();
    const int h = qMax(0, area.height());
    pctSfondo->setGeometry(0, 0, area.width(), h);
    Image1->setGeometry(0, 0, area.width(), h);
}

void mdiPrincipale::Toolbar1_ButtonClick(const QString& key)
{
    if (key == QLatin1String("tbMaga")) {
        Contesto::programma().mostraMagazzino();
    } else if (key == QLatin1String("tbImpo")) {
        if (frmSetupCassa* f = Forms::carica<frmSetupCassa>())
            f->showModal();
    } else if (key == QLatin1String("tbEsci")) {
        MDIForm_Unload();
    }
}

bool mdiPrincipale::MDIForm_Unload()
{
    if (m_exiting)
        return true;
    const auto answer = Msg::box(QStringLiteral("Vuoi uscire dal programma e tornare a Windows ?"),
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Question);
    if (answer != QMessageBox::Ok)
        return false;
    m_exiting = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Contesto::programma().terminaProgramma();
    return true;
}

bool mdiPrincipale::formQueryUnload()
{
    return m_exiting || MDIForm_Unload();
}
