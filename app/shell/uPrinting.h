// The frame's printer: printing with the print dialog and its page range, the
// print preview, and the printer set-up. Without an installed printer the
// document prints into a PDF file the user names, on the paper of the print
// settings (which the set-up then edits).
#pragma once

#include <QSize>
#include <memory>

class QPrinter;
class QWidget;
class TPrintDocument;

class TPrinting {
 public:
  TPrinting();
  ~TPrinting();
  TPrinting(const TPrinting&) = delete;
  TPrinting& operator=(const TPrinting&) = delete;

  // Whether a printer is installed (checked once; tests may override it).
  bool HasPrinter() const { return FHasPrinter; }
  void SetHasPrinter(bool value) { FHasPrinter = value; }
  // The printable page in whole mm the documents are tiled by.
  QSize PageSizeMM() const;
  int PageCount(const TPrintDocument* document) const;

  // The print dialog (pages 1 to the page count), then the chosen pages; with
  // no printer, a PDF file of every page. False when nothing was printed.
  bool Print(TPrintDocument* document, QWidget* parent);
  // Prints every page into the PDF file `path` (the previous file stays when
  // the job fails).
  bool PrintToPdf(TPrintDocument* document, const QString& path, QString* error = nullptr);
  // A preview of the printed pages.
  void Preview(TPrintDocument* document, QWidget* parent);
  // The page set-up dialog; true when the page changed.
  bool SetUp(QWidget* parent);

  QPrinter* Printer() const { return FPrinter.get(); }

 private:
  std::unique_ptr<QPrinter> FPrinter;
  bool FHasPrinter = false;
};
