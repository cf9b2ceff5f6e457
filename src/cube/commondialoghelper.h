#pragma once

#include <QFont>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

class QPrinter;

namespace kq::cube {

// The common dialogs (open, save, file title, colour, font, print, page
// setup) as one call each with plain arguments, through the program's dialog
// layer. The file and font dialogs return the old dialogs' flag bits of their
// options in `flags`; Owner is not used (the dialog layer chooses the parent). Each dialog returns true when the user
// confirmed it; a cancel resets the outputs as each operation says.
class CommonDialogHelper
{
public:
    CommonDialogHelper();
    ~CommonDialogHelper();
    CommonDialogHelper(const CommonDialogHelper &) = delete;
    CommonDialogHelper &operator=(const CommonDialogHelper &) = delete;

    // Result of the last dialog: 1 confirmed, 0 cancelled.
    qint32 APIReturn() const { return m_apiReturn; }

    // Filter: "Description|pattern|..." (a ":" separates as well). On success
    // Filter becomes the chosen pair, description and pattern separated by a
    // NUL character; on cancel FileName, FileTitle and Filter become "",
    // flags 0 and FilterIndex -1.
    bool VBGetOpenFileName(QString &FileName, QString &FileTitle, bool FileMustExist,
                           bool MultiSelect, bool &ReadOnly, bool HideReadOnly, QString &Filter,
                           qint32 &FilterIndex, const QString &InitDir, const QString &DlgTitle,
                           const QString &DefaultExt, qint32 Owner, qint32 &flags);
    // As the open dialog; a cancel sets FilterIndex 0.
    bool VBGetSaveFileName(QString &FileName, QString &FileTitle, bool OverWritePrompt,
                           QString &Filter, qint32 &FilterIndex, const QString &InitDir,
                           const QString &DlgTitle, const QString &DefaultExt, qint32 Owner,
                           qint32 &flags);
    // The file's name without its folder; "" when there is none.
    QString VBGetFileTitle(const QString &sFile) const;

    // Color: a Windows RGB value; -1 after a cancel. The 16 custom colours of
    // this object are offered and kept for its next colour dialog. AnyColor,
    // FullOpen and DisableFullOpen have no effect: the colour dialog always
    // offers every colour and its full form.
    bool VBChooseColor(qint32 &Color, bool AnyColor = false, bool FullOpen = false,
                       bool DisableFullOpen = false, qint32 Owner = -1, qint32 flags = 0);
    // Custom colour 0..15 (filled from the system colours on first use);
    // other indexes read -1 and ignore writes.
    qint32 CustomColor(qint16 i);
    void setCustomColor(qint16 i, qint32 iValue);

    // CurFont in and out (name, size, bold, italic, underline, strike-out,
    // weight); Color comes back unchanged (the font dialog has no colour);
    // a chosen size outside MinSize..MaxSize (when given) is brought inside.
    bool VBChooseFont(QFont &CurFont, qint32 &PrinterDC, qint32 Owner, qint32 &Color,
                      qint32 MinSize, qint32 MaxSize, qint32 &flags);

    // PrintRange 0 all pages, 1 pages FromPage..ToPage, 2 selection. hdc is
    // always 0 (there are no device contexts); the printer settings are kept
    // by this object. Printer null: the object's own printer. The Disable*,
    // ShowPrintToFile and PreventWarning switches have no effect.
    bool VBPrintDlg(qint32 &hdc, qint32 &PrintRange, bool DisablePageNumbers, qint32 &FromPage,
                    qint32 &ToPage, bool DisableSelection, qint16 &Copies, bool ShowPrintToFile,
                    bool DisablePrintToFile, bool &PrintToFile, bool &Collate, bool PreventWarning,
                    qint32 Owner, QPrinter *Printer, qint32 flags);

    // Margins in whole inches (Units 0) or millimetres (other Units), given
    // and returned rounded half to even. PaperSize is the old paper number
    // (9 = A4), Orientation 1 portrait / 2 landscape, PrintQuality the
    // resolution in dots per inch. The Disable* options have no effect.
    bool VBPageSetupDlg(qint32 Owner, bool DisableMargins, bool DisableOrientation,
                        bool DisablePaper, bool DisablePrinter, qint32 &LeftMargin,
                        qint32 &MinLeftMargin, qint32 &RightMargin, qint32 &MinRightMargin,
                        qint32 &TopMargin, qint32 &MinTopMargin, qint32 &BottomMargin,
                        qint32 &MinBottomMargin, qint32 &PaperSize, qint32 &Orientation,
                        qint32 &PrintQuality, qint32 Units, QPrinter *Printer, qint32 flags);

    // The page setup dialog step (the dialog layer has none): the default
    // opens Qt's page setup dialog; tests put their own answer here.
    using PageSetupRunner = std::function<bool(QPrinter *)>;
    static void setPageSetupRunner(PageSetupRunner runner);

    // The n-th pair (from 1) of a NUL-separated filter text, "desc\0pattern";
    // "" when there is none.
    static QString GetNullSeparatedItem(const QString &filter, int n);
    // "desc|pattern|desc:pattern" → NUL-separated, ended by two NULs.
    static QString nullSeparatedFilter(const QString &filter);
    // A Windows system colour (GetSysColor index 0..30) from the palette.
    static qint32 sysColor(int index);
    // Margin conversions of the page setup: whole units to the dialog's
    // hundredths of a millimetre or thousandths of an inch, and back with
    // rounding half to even.
    static qint32 toDialogUnits(qint32 value, qint32 Units);
    static qint32 fromDialogUnits(double dialogValue, qint32 Units);

private:
    // What an open or save dialog's answer leaves in the caller's arguments;
    // false when it was cancelled.
    bool takeFileAnswer(const QString &chosen, const QString &nulFilter, qint32 f,
                        qint32 cancelledIndex, QString &FileName, QString &FileTitle,
                        QString &Filter, qint32 &FilterIndex, qint32 &flags);
    void InitCustomColors();
    QPrinter *ownPrinter();

    qint32 m_customColors[16] = {};
    bool m_customColorsFilled = false;
    qint32 m_apiReturn = 0;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace kq::cube
