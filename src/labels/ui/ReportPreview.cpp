#include "labels/ui/ReportPreview.h"

#include "core/Contesto.h"
#include "core/ui/Printers.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace ReportPreview {

void mostra(const Report& r, QWidget* parent)
{
    QString errore;
    std::unique_ptr<QPrinter> printer = Printers::printerFor({}, &errore);
    if (!printer) {
        // No usable printer: say so instead of previewing a job that cannot print.
        Contesto::interazione().warn(errore);
        return;
    }
    printer->setPageLayout(ReportRenderer::layout(r));
    printer->setDocName(r.nome);
    QPrintPreviewDialog dlg(printer.get(), parent);
    dlg.setObjectName(r.nome);
    dlg.setWindowTitle(r.nome);
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg, [&r](QPrinter* p) {
        QPainter painter(p);
        ReportRenderer::disegna(r, painter, *p);
    });
    dlg.resize(1000, 700);
    dlg.exec();
}

} // namespace ReportPreview
