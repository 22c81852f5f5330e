#include "sheet_file.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace SheetFile {

namespace {

// The PDF's resolution, for its text and lines; the PNG's, the photograph's own (it is 1200
// pixels wide on the 186 mm of the page), which keeps its file small.
constexpr int PdfDpi = 300;
constexpr int PngDpi = 150;

QString writePdf(const QString &path, const QPageSize &paper, const JumperSheet::Content &content,
                 const QImage &photo)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(paper);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(PdfDpi);
        pdf.setTitle(QStringLiteral("TR-4410 jumper sheet"));
        pdf.setCreator(QStringLiteral("tr4410ctl"));
        QPainter painter(&pdf);
        JumperSheet::paint(painter, paper.size(QPageSize::Millimeter), content, photo);
    }
    return file.commit() ? QString() : file.errorString();
}

QString writePng(const QString &path, const QPageSize &paper, const JumperSheet::Content &content,
                 const QImage &photo)
{
    const QSizeF mm = paper.size(QPageSize::Millimeter);
    QImage page((mm * PngDpi / 25.4).toSize(), QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(PngDpi / 0.0254));
    page.setDotsPerMeterY(qRound(PngDpi / 0.0254));
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        JumperSheet::paint(painter, mm, content, photo);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QImageWriter writer(&file, "png");
    if (!writer.write(page))
        return writer.errorString();
    return file.commit() ? QString() : file.errorString();
}

} // namespace

QPageSize localePaper(const QLocale &locale)
{
    return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                             : QPageSize::A4);
}

std::optional<QPageSize> paperNamed(const QString &name)
{
    if (name.compare(QLatin1String("A4"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::A4);
    if (name.compare(QLatin1String("Letter"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::Letter);
    return std::nullopt;
}

QImage photograph()
{
    return QImage(QStringLiteral(":/board@2x.jpg"));
}

bool knownFormat(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("pdf") || suffix == QLatin1String("png");
}

QString write(const QString &path, const QPageSize &paper, const JumperSheet::Content &content,
              const QImage &photograph)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return writePdf(path, paper, content, photograph);
    if (suffix == QLatin1String("png"))
        return writePng(path, paper, content, photograph);
    return QStringLiteral("the name must end in .pdf or .png");
}

} // namespace SheetFile
