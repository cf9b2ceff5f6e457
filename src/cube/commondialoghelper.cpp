#include "cube/commondialoghelper.h"

#include "cube/model/cubetypes.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QPalette>
#include <QPrinter>
#include <QStringList>
#include <cmath>

namespace kq::cube {

using kq::platform::Dialogs;

namespace {

// Flag bits of the old dialogs.
constexpr qint32 OFN_READONLY = 0x1;
constexpr qint32 OFN_OVERWRITEPROMPT = 0x2;
constexpr qint32 OFN_HIDEREADONLY = 0x4;
constexpr qint32 OFN_ENABLEHOOK = 0x20;
constexpr qint32 OFN_ENABLETEMPLATE = 0x40;
constexpr qint32 OFN_ALLOWMULTISELECT = 0x200;
constexpr qint32 OFN_FILEMUSTEXIST = 0x1000;
constexpr qint32 CF_SCREENFONTS = 0x1;
constexpr qint32 CF_PRINTERFONTS = 0x2;
constexpr qint32 CF_ENABLEHOOK = 0x8;
constexpr qint32 CF_ENABLETEMPLATE = 0x10;
constexpr qint32 CF_INITTOLOGFONTSTRUCT = 0x40;
constexpr qint32 CF_EFFECTS = 0x100;
constexpr qint32 CF_APPLY = 0x200;
constexpr qint32 CF_LIMITSIZE = 0x2000;

const QChar kNul(0);

CommonDialogHelper::PageSetupRunner &pageSetupRunner()
{
    static CommonDialogHelper::PageSetupRunner runner = [](QPrinter *printer) {
        return kq::platform::Dialogs::pageSetup(printer);
    };
    return runner;
}

// "desc|pattern|..." in the form the dialog layer takes.
QString layerFilter(const QString &filter)
{
    QStringList parts
        = QString(filter).replace(QLatin1Char(':'), QLatin1Char('|')).split(QLatin1Char('|'));
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    return parts.isEmpty() ? QString() : parts.join(QLatin1Char('|')) + QLatin1Char('|');
}

QString startPath(const QString &initDir, const QString &fileName)
{
    if (fileName.isEmpty())
        return initDir;
    if (initDir.isEmpty() || QFileInfo(fileName).isAbsolute())
        return fileName;
    return QDir(initDir).filePath(fileName);
}

QString withDefaultExt(const QString &path, const QString &defaultExt)
{
    if (path.isEmpty() || defaultExt.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    QString ext = defaultExt;
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    return path + QLatin1Char('.') + ext;
}

} // namespace

CommonDialogHelper::CommonDialogHelper() = default;
CommonDialogHelper::~CommonDialogHelper() = default;

QPrinter *CommonDialogHelper::ownPrinter()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return m_printer.get();
}

void CommonDialogHelper::setPageSetupRunner(PageSetupRunner runner)
{
    pageSetupRunner() = std::move(runner);
}

QString CommonDialogHelper::nullSeparatedFilter(const QString &filter)
{
    QString s = filter;
    s.replace(QLatin1Char('|'), kNul).replace(QLatin1Char(':'), kNul);
    return s + kNul + kNul;
}

QString CommonDialogHelper::GetNullSeparatedItem(const QString &filter, int n)
{
    if (filter.isEmpty() || n < 1)
        return QString();
    const QStringList parts = filter.split(kNul);
    const int at = 2 * (n - 1);
    if (at + 1 >= parts.size() || (parts.at(at).isEmpty() && parts.at(at + 1).isEmpty()))
        return QString();
    return parts.at(at) + kNul + parts.at(at + 1);
}

bool CommonDialogHelper::VBGetOpenFileName(QString &FileName, QString &FileTitle,
                                           bool FileMustExist, bool MultiSelect, bool &ReadOnly,
                                           bool HideReadOnly, QString &Filter, qint32 &FilterIndex,
                                           const QString &InitDir, const QString &DlgTitle,
                                           const QString &DefaultExt, qint32 Owner, qint32 &flags)
{
    Q_UNUSED(Owner);
    m_apiReturn = 0;
    qint32 f = flags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE);
    if (FileMustExist)
        f |= OFN_FILEMUSTEXIST;
    if (MultiSelect)
        f |= OFN_ALLOWMULTISELECT;
    if (ReadOnly)
        f |= OFN_READONLY;
    if (HideReadOnly)
        f |= OFN_HIDEREADONLY;
    const QString nulFilter = nullSeparatedFilter(Filter);
    // The open dialog only offers files that exist, whatever the flag.
    const QString chosen = withDefaultExt(
        Dialogs::openFile(DlgTitle, startPath(InitDir, FileName), layerFilter(Filter)), DefaultExt);
    if (!takeFileAnswer(chosen, nulFilter, f, -1, FileName, FileTitle, Filter, FilterIndex, flags))
        return false;
    ReadOnly = (f & OFN_READONLY) != 0;
    return true;
}

bool CommonDialogHelper::VBGetSaveFileName(QString &FileName, QString &FileTitle,
                                           bool OverWritePrompt, QString &Filter,
                                           qint32 &FilterIndex, const QString &InitDir,
                                           const QString &DlgTitle, const QString &DefaultExt,
                                           qint32 Owner, qint32 &flags)
{
    Q_UNUSED(Owner);
    m_apiReturn = 0;
    qint32 f = (flags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE)) | OFN_HIDEREADONLY;
    if (OverWritePrompt)
        f |= OFN_OVERWRITEPROMPT;
    const QString nulFilter = nullSeparatedFilter(Filter);
    // The save dialog always asks before a file is overwritten.
    const QString chosen = withDefaultExt(
        Dialogs::saveFile(DlgTitle, startPath(InitDir, FileName), layerFilter(Filter)), DefaultExt);
    return takeFileAnswer(chosen, nulFilter, f, 0, FileName, FileTitle, Filter, FilterIndex, flags);
}

bool CommonDialogHelper::takeFileAnswer(const QString &chosen, const QString &nulFilter, qint32 f,
                                        qint32 cancelledIndex, QString &FileName,
                                        QString &FileTitle, QString &Filter, qint32 &FilterIndex,
                                        qint32 &flags)
{
    m_apiReturn = chosen.isEmpty() ? 0 : 1;
    if (chosen.isEmpty()) {
        FileName.clear();
        FileTitle.clear();
        Filter.clear();
        flags = 0;
        FilterIndex = cancelledIndex;
        return false;
    }
    FileName = chosen;
    FileTitle = VBGetFileTitle(chosen);
    flags = f;
    if (FilterIndex < 1)
        FilterIndex = 1;
    Filter = GetNullSeparatedItem(nulFilter, FilterIndex);
    return true;
}

QString CommonDialogHelper::VBGetFileTitle(const QString &sFile) const
{
    if (sFile.isEmpty())
        return QString();
    return QFileInfo(sFile).fileName();
}

qint32 CommonDialogHelper::sysColor(int index)
{
    const QPalette pal = QApplication::palette();
    QPalette::ColorRole role = QPalette::Window;
    QPalette::ColorGroup group = QPalette::Active;
    switch (index) {
    case 1:  // desktop
    case 2:  // active caption
    case 13: // highlight
    case 26: // hot-track
    case 27: // gradient active caption
        role = QPalette::Highlight;
        break;
    case 3: // inactive caption
    case 28:
        role = QPalette::Mid;
        break;
    case 5: // window
        role = QPalette::Base;
        break;
    case 6:  // window frame
    case 10: // active border
    case 11: // inactive border
        role = QPalette::Shadow;
        break;
    case 7: // menu text
    case 8: // window text
        role = QPalette::Text;
        break;
    case 9:  // caption text
    case 14: // highlight text
        role = QPalette::HighlightedText;
        break;
    case 12: // application workspace
        role = QPalette::Dark;
        break;
    case 16: // button shadow
        role = QPalette::Dark;
        break;
    case 17: // grey text
        role = QPalette::Text;
        group = QPalette::Disabled;
        break;
    case 18: // button text
        role = QPalette::ButtonText;
        break;
    case 19: // inactive caption text
        role = QPalette::Text;
        group = QPalette::Inactive;
        break;
    case 20: // button highlight
        role = QPalette::Light;
        break;
    case 21: // 3-D dark shadow
        role = QPalette::Shadow;
        break;
    case 22: // 3-D light
        role = QPalette::Midlight;
        break;
    case 23: // tooltip text
        role = QPalette::ToolTipText;
        break;
    case 24: // tooltip background
        role = QPalette::ToolTipBase;
        break;
    case 4:  // menu
    case 15: // button face
    default:
        role = index == 15 ? QPalette::Button : QPalette::Window;
        break;
    }
    return kq::platform::cubeWinRgb(pal.color(group, role));
}

void CommonDialogHelper::InitCustomColors()
{
    for (int i = 0; i < 16; ++i)
        m_customColors[i] = sysColor(i);
    m_customColorsFilled = true;
}

qint32 CommonDialogHelper::CustomColor(qint16 i)
{
    if (!m_customColorsFilled)
        InitCustomColors();
    return i >= 0 && i < 16 ? m_customColors[i] : -1;
}

void CommonDialogHelper::setCustomColor(qint16 i, qint32 iValue)
{
    if (!m_customColorsFilled)
        InitCustomColors();
    if (i >= 0 && i < 16)
        m_customColors[i] = iValue;
}

bool CommonDialogHelper::VBChooseColor(qint32 &Color, bool AnyColor, bool FullOpen,
                                       bool DisableFullOpen, qint32 Owner, qint32 flags)
{
    // AnyColor, FullOpen and DisableFullOpen choose among forms of the old
    // colour dialog; ours always offers every colour in its full form.
    Q_UNUSED(AnyColor);
    Q_UNUSED(FullOpen);
    Q_UNUSED(DisableFullOpen);
    Q_UNUSED(Owner);
    Q_UNUSED(flags);
    if (!m_customColorsFilled)
        InitCustomColors();

    // The colour dialog's custom colours are shared by the whole program:
    // this object's own are put in before the dialog and read back after it.
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, kq::platform::cubeColor(m_customColors[i]));
    const QColor initial = Color < 0 ? QColor(Qt::black) : kq::platform::cubeColor(Color);
    const std::optional<QColor> chosen = Dialogs::chooseColor(initial);
    for (int i = 0; i < 16; ++i)
        m_customColors[i] = kq::platform::cubeWinRgb(QColorDialog::customColor(i));
    m_apiReturn = chosen && chosen->isValid() ? 1 : 0;
    if (!m_apiReturn) {
        Color = -1;
        return false;
    }
    Color = kq::platform::cubeWinRgb(*chosen);
    return true;
}

bool CommonDialogHelper::VBChooseFont(QFont &CurFont, qint32 &PrinterDC, qint32 Owner,
                                      qint32 &Color, qint32 MinSize, qint32 MaxSize, qint32 &flags)
{
    Q_UNUSED(Owner);
    m_apiReturn = 0;
    qint32 f = flags;
    if (PrinterDC == -1)
        PrinterDC = 0; // there are no device contexts to take
    else
        f |= CF_PRINTERFONTS;
    if (!(f & CF_PRINTERFONTS))
        f |= CF_SCREENFONTS;
    if (Color != 0)
        f |= CF_EFFECTS;
    if (MinSize != 0 || MaxSize != 0)
        f |= CF_LIMITSIZE;
    f &= ~(CF_APPLY | CF_ENABLETEMPLATE | CF_ENABLEHOOK);
    f |= CF_INITTOLOGFONTSTRUCT;

    const std::optional<QFont> chosen = Dialogs::chooseFont(CurFont);
    m_apiReturn = chosen ? 1 : 0;
    if (!chosen)
        return false;
    QFont font = *chosen;
    if (f & CF_LIMITSIZE) {
        double size = font.pointSizeF();
        if (MinSize != 0 && size < MinSize)
            size = MinSize;
        if (MaxSize != 0 && size > MaxSize)
            size = MaxSize;
        if (size > 0)
            font.setPointSizeF(size);
    }
    CurFont = font;
    flags = f;
    return true;
}

bool CommonDialogHelper::VBPrintDlg(qint32 &hdc, qint32 &PrintRange, bool DisablePageNumbers,
                                    qint32 &FromPage, qint32 &ToPage, bool DisableSelection,
                                    qint16 &Copies, bool ShowPrintToFile, bool DisablePrintToFile,
                                    bool &PrintToFile, bool &Collate, bool PreventWarning,
                                    qint32 Owner, QPrinter *Printer, qint32 flags)
{
    Q_UNUSED(Owner);
    Q_UNUSED(flags);
    m_apiReturn = 0;
    // The print dialog has no switches for page numbers, selection, print to
    // file or warnings: the range, pages and collation go in on the printer.
    Q_UNUSED(DisablePageNumbers);
    Q_UNUSED(DisableSelection);
    Q_UNUSED(ShowPrintToFile);
    Q_UNUSED(DisablePrintToFile);
    Q_UNUSED(PreventWarning);
    QPrinter *printer = Printer ? Printer : ownPrinter();
    printer->setCollateCopies(Collate);
    if (PrintRange == 1) {
        printer->setPrintRange(QPrinter::PageRange);
        printer->setFromTo(qBound(1, FromPage, 65535), qBound(1, ToPage, 65535));
    } else {
        printer->setPrintRange(PrintRange == 2 ? QPrinter::Selection : QPrinter::AllPages);
    }
    if (!Dialogs::printDialog(printer))
        return false;
    m_apiReturn = 1;
    hdc = 0;
    switch (printer->printRange()) {
    case QPrinter::PageRange:
        PrintRange = 1;
        break;
    case QPrinter::Selection:
        PrintRange = 2;
        break;
    default:
        PrintRange = 0;
        break;
    }
    FromPage = printer->fromPage();
    ToPage = printer->toPage();
    PrintToFile = !printer->outputFileName().isEmpty();
    Copies = qint16(printer->copyCount());
    Collate = printer->collateCopies();
    if (Printer && m_printer)
        m_printer.reset(); // the caller's printer holds the settings now
    return true;
}

qint32 CommonDialogHelper::toDialogUnits(qint32 value, qint32 Units)
{
    return value * (Units != 0 ? 100 : 1000);
}

qint32 CommonDialogHelper::fromDialogUnits(double dialogValue, qint32 Units)
{
    const double units = dialogValue / (Units != 0 ? 100 : 1000);
    return qint32(std::nearbyint(units)); // the default rounding mode: half to even
}

bool CommonDialogHelper::VBPageSetupDlg(qint32 Owner, bool DisableMargins, bool DisableOrientation,
                                        bool DisablePaper, bool DisablePrinter, qint32 &LeftMargin,
                                        qint32 &MinLeftMargin, qint32 &RightMargin,
                                        qint32 &MinRightMargin, qint32 &TopMargin,
                                        qint32 &MinTopMargin, qint32 &BottomMargin,
                                        qint32 &MinBottomMargin, qint32 &PaperSize,
                                        qint32 &Orientation, qint32 &PrintQuality, qint32 Units,
                                        QPrinter *Printer, qint32 flags)
{
    Q_UNUSED(Owner);
    Q_UNUSED(flags);
    Q_UNUSED(DisableMargins);
    Q_UNUSED(DisableOrientation);
    Q_UNUSED(DisablePaper);
    Q_UNUSED(DisablePrinter);
    m_apiReturn = 0;
    // Margins travel in the dialog's units: hundredths of a millimetre or
    // thousandths of an inch.
    const double perUnit = Units != 0 ? 100.0 : 1000.0;
    const QPageLayout::Unit unit = Units != 0 ? QPageLayout::Millimeter : QPageLayout::Inch;
    auto inUnit = [&](qint32 v) {
        return toDialogUnits(v, Units) / perUnit;
    };

    QPrinter *printer = Printer ? Printer : ownPrinter();
    QPageLayout layout = printer->pageLayout();
    layout.setUnits(unit);
    layout.setMinimumMargins(QMarginsF(inUnit(MinLeftMargin), inUnit(MinTopMargin),
                                       inUnit(MinRightMargin), inUnit(MinBottomMargin)));
    layout.setMargins(QMarginsF(inUnit(LeftMargin), inUnit(TopMargin), inUnit(RightMargin),
                                inUnit(BottomMargin)));
    printer->setPageLayout(layout);
    if (!pageSetupRunner() || !pageSetupRunner()(printer))
        return false;
    m_apiReturn = 1;
    const QPageLayout result = printer->pageLayout();
    const QMarginsF m = result.margins(unit);
    const QMarginsF mins = result.minimumMargins();
    auto back = [&](double v) {
        return fromDialogUnits(v * perUnit, Units);
    };
    const double toUnit = result.units() == unit      ? 1.0
                          : unit == QPageLayout::Inch ? 1.0 / 25.4
                                                      : 25.4;
    LeftMargin = back(m.left());
    TopMargin = back(m.top());
    RightMargin = back(m.right());
    BottomMargin = back(m.bottom());
    MinLeftMargin = back(mins.left() * toUnit);
    MinTopMargin = back(mins.top() * toUnit);
    MinRightMargin = back(mins.right() * toUnit);
    MinBottomMargin = back(mins.bottom() * toUnit);
    PaperSize = result.pageSize().windowsId();
    Orientation = result.orientation() == QPageLayout::Landscape ? 2 : 1;
    PrintQuality = printer->resolution();
    return true;
}

} // namespace kq::cube
