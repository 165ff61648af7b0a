// The templates shipped in resources/template: each is exactly what the
// template generator writes; each makes a document (through the program's
// code and through --new) that keeps every byte through a save and a load and
// prints pages that look as the reference images in tests/data/templates show
// them; each offers its extra blocks and speaks the program's language.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cmath>

#include "uDocumentKinds.h"
#include "uImageCompare.h"
#include "uKernoRun.h"
#include "uLanguage.h"
#include "uLasCurves.h"
#include "uLasFill.h"
#include "uPassportBody.h"
#include "uPdfPrintTarget.h"
#include "uPictureKinds.h"
#include "uPrintDeepScale.h"
#include "uPrintDeepTable.h"
#include "uPrintDesc.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrammBase.h"
#include "uPrintDiagrams.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uPrintStratCol.h"
#include "uPrintText.h"
#include "uScratchEnvTest.h"
#include "uSheetAtData.h"
#include "uStatusDDLine.h"
#include "uStratColEntry.h"
#include "uStratColExport.h"
#include "uStringTable.h"
#include "uTableKinds.h"
#include "uTemplateInfo.h"
#include "uTemplateSheets.h"

namespace {

const QString kShipped = QStringLiteral(KERNO_SOURCE_DIR "/resources/template");
const QString kShippedHeads = QStringLiteral(KERNO_SOURCE_DIR "/resources/hdr");
const QString kReferences = QStringLiteral(KERNO_TEST_DATA "/templates");
const QString kRussianPack = QStringLiteral(KERNO_PROGRAM_DIR "/russian.vox");

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Where a page that does not match its reference is written, beside the
// test program's other output.
QString MismatchFolder() { return QDir::current().filePath(QStringLiteral("test_templates-mismatches")); }

QString Base(const QString& templateFile) { return QFileInfo(templateFile).completeBaseName(); }

class ShippedTemplates : public TScratchEnvTest {
 protected:
  // The program folder of this build: templates, head files, language packs.
  ShippedTemplates() { UseProgramDir(QStringLiteral(KERNO_PROGRAM_DIR)); }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterTextKinds();
    RegisterHeadKinds();
    RegisterDepthScaleKinds();
    RegisterDocumentKinds();
    RegisterTableKinds();
    RegisterCurvePlotKinds();
    RegisterStratColKinds();
    RegisterPictureKinds();
  }
  void TearDown() override {
    UnloadLanguage();
    TScratchEnvTest::TearDown();
  }

  // The PDF's pages as grey images at 100 dpi, in page order.
  QStringList Render(const QString& pdf, const QString& prefix) const {
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
            {"-r", "100", "-gray", "-png", pdf, Path(prefix)});
    p.waitForFinished(60000);
    QStringList pages;
    for (const QString& name : QDir(FDir.path()).entryList({prefix + "-*.png"}, QDir::Files, QDir::Name))
      pages << Path(name);
    return pages;
  }

  // Every page against tests/data/templates/<template>-<n>.png.
  void ExpectReferencePages(const QString& pdf, const QString& templateFile, const QString& prefix) const {
    const QStringList pages = Render(pdf, prefix);
    const QStringList references =
        QDir(kReferences).entryList({Base(templateFile) + "-*.png"}, QDir::Files, QDir::Name);
    ASSERT_FALSE(pages.isEmpty()) << pdf.toStdString() << " rendered no page";
    // A page more or less fails too (a missing reference fails below).
    if (!references.isEmpty()) {
      EXPECT_EQ(pages.size(), references.size()) << pdf.toStdString();
    }
    for (int i = 0; i < pages.size(); ++i) {
      const QString reference = kReferences + QStringLiteral("/%1-%2.png").arg(Base(templateFile)).arg(i + 1);
      const TImageComparison result = CompareWithReference(QImage(pages[i]), reference, MismatchFolder(), 64, 4);
      EXPECT_TRUE(result.Matches) << result.Message.toStdString();
    }
  }
};

// A template's blocks: its head, the titles of its columns, its body.
constexpr int kBody = 2;

TPrintDeepScale* DepthScaleOf(TPassportBody* body) {
  for (int i = 0; i < body->Count(); ++i)
    if (auto* scale = dynamic_cast<TPrintDeepScale*>(body->GetChild(i))) return scale;
  return nullptr;
}

// What makes a body's depth scale readable on paper: it spans the body, its
// marks fall on their depths at the body's scale and stand apart, its labels
// have room between them, and the body ends on a labelled depth.
void ExpectReadableDepthScale(TPassportBody* body) {
  TPrintDeepScale* scale = DepthScaleOf(body);
  ASSERT_NE(scale, nullptr) << body->Name().toStdString();
  EXPECT_DOUBLE_EQ(scale->Top(), body->Top());
  EXPECT_DOUBLE_EQ(scale->GetHeight(), body->GetHeight());
  EXPECT_GE(body->GetHeight(), 200) << "a body to start drawing into";
  const double metres = body->GetHeight() * body->GetVertScale() / 1000;
  double labelled = 0;
  for (const TRuller& r : scale->Rullers()) {
    EXPECT_DOUBLE_EQ(r.Modulus(), 1000.0 / body->GetVertScale())
        << "marks on their depths at 1:" << body->GetVertScale();
    EXPECT_GE(r.Step() * r.Modulus(), 2) << "marks at least 2 mm apart";
    EXPECT_LE(r.MarkSize(), scale->GetWidth() / 2);
    if (r.HasFont()) labelled = r.Step();
  }
  ASSERT_GT(labelled, 0) << "a ruler with labels";
  EXPECT_GE(labelled * 1000 / body->GetVertScale(), 15) << "labels at least 15 mm apart";
  EXPECT_NEAR(std::remainder(metres, labelled), 0, 1e-9) << "the bottom is labelled";
}

}  // namespace

TEST_F(ShippedTemplates, EveryShippedFileIsTheGeneratorsOutput) {
  // The generator takes the head files from "hdr" beside its folder.
  ASSERT_TRUE(QDir().mkpath(Path("made/hdr")));
  for (const QString& name : QDir(kShippedHeads).entryList({"*.hdr"}, QDir::Files))
    ASSERT_TRUE(QFile::copy(kShippedHeads + "/" + name, Path("made/hdr/" + name)));
  // And the sign database of the lithology column from "lsd".
  ASSERT_TRUE(QDir().mkpath(Path("made/lsd")));
  ASSERT_TRUE(QFile::copy(QStringLiteral(KERNO_SOURCE_DIR "/resources/lsd/default.lsd"), Path("made/lsd/default.lsd")));
  QString error;
  ASSERT_TRUE(WriteTemplateSheets(Path("made/template"), &error)) << error.toStdString();
  QStringList made{TemplateLogoFile()};
  EXPECT_EQ(FileBytes(kShipped + "/" + TemplateLogoFile()), FileBytes(Path("made/template/" + TemplateLogoFile())));
  for (const QString& file : TemplateSheetFiles()) {
    made << file << TemplatePictureFile(file);
    EXPECT_FALSE(FileBytes(kShipped + "/" + file).isEmpty()) << file.toStdString() << ": run mktemplates";
    EXPECT_EQ(FileBytes(kShipped + "/" + file), FileBytes(Path("made/template/" + file)))
        << file.toStdString() << " differs from the generator: run mktemplates resources/template";
    // Pictures carry drawn letters: a few shades may differ with the fonts.
    const QImage shipped(kShipped + "/" + TemplatePictureFile(file));
    const QImage picture(Path("made/template/" + TemplatePictureFile(file)));
    EXPECT_EQ(picture.size(), QSize(kTemplatePictureSize, kTemplatePictureSize));
    EXPECT_LE(CountDifferingPixels(shipped, picture, 64), 0) << TemplatePictureFile(file).toStdString();
  }
  QStringList shipped = QDir(kShipped).entryList(QDir::Files);
  made.sort();
  shipped.sort();
  EXPECT_EQ(shipped, made) << "every shipped template file comes from the generator";

  // Without its sign database or its head files the generator says so
  // instead of writing empty lithology columns or drawing an empty head.
  EXPECT_FALSE(WriteTemplateSheets(Path("headless/template"), &error));
  EXPECT_TRUE(error.contains("default.lsd")) << error.toStdString();
  ASSERT_TRUE(QDir().mkpath(Path("headless/lsd")));
  ASSERT_TRUE(QFile::copy(Path("made/lsd/default.lsd"), Path("headless/lsd/default.lsd")));
  EXPECT_FALSE(WriteTemplateSheets(Path("headless/template"), &error));
  EXPECT_TRUE(error.contains("well_log.hdr")) << error.toStdString();
}

TEST_F(ShippedTemplates, TheSelectionListsEachWithItsNameDescriptionAndPictureInBothLanguages) {
  const std::vector<TTemplateInfo> english = ListTemplates(TemplateDir());
  ASSERT_EQ(english.size(), static_cast<size_t>(TemplateSheetFiles().size()));
  for (const TTemplateInfo& t : english) {
    SCOPED_TRACE(t.Path.toStdString());
    EXPECT_FALSE(t.Name.isEmpty());
    EXPECT_GT(t.Description.size(), 100) << "says what the sheet holds";
    EXPECT_EQ(QFileInfo(t.Picture).fileName(), TemplatePictureFile(t.Path));
    const QImage picture(t.Picture);
    ASSERT_FALSE(picture.isNull());
    EXPECT_LT(qGray(picture.pixel(0, 0)), 160) << "the head's frame in the corner";
  }
  // The descriptions state the body's scale and depth as the sheets have them.
  std::vector<std::pair<QString, QString>> bodies;  // scale, metres
  for (const TTemplateInfo& t : english) {
    TPrintDocument document;
    ASSERT_TRUE(document.LoadFromFile(t.Path));
    const auto* body = dynamic_cast<TPassportBody*>(document.GetChild(kBody));
    ASSERT_NE(body, nullptr);
    bodies.emplace_back(QString::number(body->GetVertScale()),
                        QString::number(body->GetHeight() * body->GetVertScale() / 1000));
    const QString stated = "1:" + bodies.back().first + " for " + bodies.back().second + " m of depth";
    EXPECT_TRUE(t.Description.contains(stated)) << stated.toStdString() << " in " << t.Description.toStdString();
  }
  ASSERT_TRUE(LoadLanguage(kRussianPack));
  const std::vector<TTemplateInfo> russian = ListTemplates(TemplateDir());
  ASSERT_EQ(russian.size(), english.size());
  const QRegularExpression cyrillic(QStringLiteral("[А-Яа-я]"));
  for (size_t i = 0; i < russian.size(); ++i) {
    EXPECT_TRUE(russian[i].Name.contains(cyrillic)) << russian[i].Name.toStdString();
    EXPECT_TRUE(russian[i].Description.contains(cyrillic)) << russian[i].Description.toStdString();
    EXPECT_NE(russian[i].Name, english[i].Name);
    const QString stated =
        "1:" + bodies[i].first + QStringLiteral(" на ") + bodies[i].second + QStringLiteral(" м глубины");
    EXPECT_TRUE(russian[i].Description.contains(stated)) << stated.toStdString();
  }
}

// The whole way of a template: a document through the program's code and
// through --new, the same bytes from both, a save and a load changing
// nothing, and the printed pages as the references show them.
TEST_F(ShippedTemplates, EachMakesADocumentThatRoundTripsAndPrintsAsTheReferencePages) {
  const bool render = !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
  for (const QString& file : TemplateSheetFiles()) {
    SCOPED_TRACE(file.toStdString());
    const QString base = Base(file);
    TPrintDocument document;
    QString error;
    ASSERT_TRUE(document.LoadFromFile(TemplateDir() + file, &error)) << error.toStdString();
    EXPECT_TRUE(FUi.Messages.empty()) << "every head file found";
    EXPECT_EQ(document.TemplateName(), file);
    ASSERT_EQ(document.Count(), 3);
    auto* head = dynamic_cast<TPrintHeader*>(document.GetChild(0));
    auto* titles = dynamic_cast<TPrintHeader*>(document.GetChild(1));
    auto* body = dynamic_cast<TPassportBody*>(document.GetChild(kBody));
    ASSERT_NE(head, nullptr);
    ASSERT_NE(titles, nullptr);
    ASSERT_NE(body, nullptr);
    EXPECT_GE(head->Count(), 9) << "the head file's texts";
    EXPECT_EQ(head->GetWidth(), 190);
    EXPECT_EQ(head->Parameters().ValueOf("SCALE"), QString::number(body->GetVertScale())) << "the sheet's scale";
    // Every column of the body stands under a title that spans it.
    for (int i = 0; i < body->Count(); ++i) {
      const TBoundsRect c = body->GetChild(i)->GetBoundsRect();
      bool titled = false;
      for (int k = 0; k < titles->Count() && !titled; ++k) {
        const TBoundsRect t = titles->GetChild(k)->GetBoundsRect();
        titled = t.Left <= c.Left + 1e-9 && t.Right >= c.Right - 1e-9 &&
                 !dynamic_cast<TPrintText*>(titles->GetChild(k))->GetText().isEmpty();
      }
      EXPECT_TRUE(titled) << body->GetChild(i)->Caption().toStdString();
    }
    EXPECT_DOUBLE_EQ(body->Top(), head->GetHeight() + titles->GetHeight());
    ExpectReadableDepthScale(body);
    EXPECT_DOUBLE_EQ(document.DepthAt(body->Top() + 50), 50.0 * body->GetVertScale() / 1000);
    if (base != QStringLiteral("curve_log")) {
      // An empty lithology column on the shipped database, ready for layers.
      TPrintStratCol* column = nullptr;
      for (int i = 0; i < body->Count() && !column; ++i) column = dynamic_cast<TPrintStratCol*>(body->GetChild(i));
      ASSERT_NE(column, nullptr);
      ASSERT_NE(column->DataBase(), nullptr);
      EXPECT_GE(column->DataBase()->SignCount(), 60);
      EXPECT_TRUE(column->Layers().empty());
    }

    ASSERT_TRUE(document.SaveToFile(Path(base + ".knd"), &error)) << error.toStdString();
    TPrintDocument loaded;
    ASSERT_TRUE(loaded.LoadFromFile(Path(base + ".knd")));
    ASSERT_TRUE(loaded.SaveToFile(Path(base + ".again.knd")));
    EXPECT_EQ(FileBytes(Path(base + ".knd")), FileBytes(Path(base + ".again.knd")));
    // The command line finds the template by name in the program's folder.
    const TKernoRun made = RunKerno({"--new", file, Path(base + ".new.knd")});
    ASSERT_EQ(made.Status, 0) << made.Err.toStdString();
    EXPECT_EQ(FileBytes(Path(base + ".new.knd")), FileBytes(Path(base + ".knd")));

    // Within the margins the program gives PDF pages, as --export prints them.
    TPdfPrintTarget pdf(Path(base + ".pdf"), QPageSize(QPageSize::A4), QPageLayout::Portrait,
                        TPdfPrintTarget::kDefaultDpi, PrintMarginsFromSettings());
    ASSERT_TRUE(loaded.Print(&pdf, 1, 99)) << pdf.ErrorText().toStdString();
    EXPECT_EQ(pdf.PagesWritten(), loaded.PageCount(TPageTiling::FromSettings(pdf.PageSizeMM())));
    const TKernoRun exported = RunKerno({"--export", Path(base + ".new.knd"), Path(base + ".new.pdf")});
    ASSERT_EQ(exported.Status, 0) << exported.Err.toStdString();
    if (!render) continue;
    ExpectReferencePages(Path(base + ".pdf"), file, base);
    ExpectReferencePages(Path(base + ".new.pdf"), file, base + ".new");
  }
  if (!render) GTEST_SKIP() << "pdftoppm (poppler-utils) not installed: pages not compared";
}

// The well's interval stated in the head follows the sheet's interval as the
// user sets it, unless the user wrote something else there.
TEST_F(ShippedTemplates, TheHeadStatesTheIntervalTheSheetIsSetTo) {
  TPrintDocument document;
  QString error;
  ASSERT_TRUE(document.LoadFromFile(TemplateDir() + "well_log.knt", &error)) << error.toStdString();
  auto* head = dynamic_cast<TPrintHeader*>(document.GetChild(0));
  auto* body = dynamic_cast<TPassportBody*>(document.GetChild(kBody));
  ASSERT_TRUE(head && body);
  const auto stated = [head] {
    for (int i = 0; i < head->Count(); ++i)
      if (auto* t = dynamic_cast<TPrintText*>(head->GetChild(i)); t && t->GetText().contains("%TOP_DEPTH%"))
        return t->PrintedText();
    return QString();
  };
  ASSERT_TRUE(body->SetDepthInterval(1450, 1540));
  EXPECT_EQ(stated(), QString::fromUtf8("Interval: 1450 – 1540 m"));
  EXPECT_TRUE(head->GetModified());

  ASSERT_TRUE(head->Parameters().SetValue("BOTTOM_DEPTH", "see remarks"));
  ASSERT_TRUE(body->SetDepthInterval(1400.5, 1600));
  EXPECT_EQ(head->Parameters().ValueOf("TOP_DEPTH"), "1400.5");
  EXPECT_EQ(head->Parameters().ValueOf("BOTTOM_DEPTH"), "see remarks") << "the user's own words stay";
}

// The other way round: an interval typed into a fresh sheet's head values
// offers to show it on the sheet, asked once per change of those values.
TEST_F(ShippedTemplates, AnIntervalTypedIntoTheHeadOffersToMoveTheSheet) {
  TPrintDocument document;
  ASSERT_TRUE(document.LoadFromFile(TemplateDir() + "lithology_log.knt"));
  auto* head = dynamic_cast<TPrintHeader*>(document.GetChild(0));
  auto* body = dynamic_cast<TPassportBody*>(document.GetChild(kBody));
  ASSERT_TRUE(head && body);
  const double length = body->IntervalLength();
  const auto type = [&](const QString& name, const QString& value, TMsgResult answer) {
    SetNamedValuesEditor([&](TNamedValueList* values) { return values->SetValue(name, value); });
    FUi.Messages.clear();
    FUi.MessageAnswers = {answer};
    EXPECT_TRUE(head->ExecuteMenuCommand(TPrintHeader::cmdValues));
  };

  type("TOP_DEPTH", "1200", TMsgResult::Yes);
  EXPECT_EQ(FUi.Messages.size(), 1u) << "the top alone: the sheet keeps its length";
  EXPECT_DOUBLE_EQ(body->GetStartDepth(), 1200);
  EXPECT_DOUBLE_EQ(body->IntervalLength(), length);
  EXPECT_EQ(head->Parameters().ValueOf("BOTTOM_DEPTH"), QString::number(1200 + length)) << "the head follows";

  type("BOTTOM_DEPTH", "1260,5", TMsgResult::No);
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Question);
  EXPECT_TRUE(FUi.Messages[0].Text.contains(QString::fromUtf8("1200 – 1260.5 m")))
      << FUi.Messages[0].Text.toStdString();
  EXPECT_DOUBLE_EQ(body->IntervalLength(), length) << "No keeps the sheet";

  type("FIELD", "Ozernoye", TMsgResult::Yes);
  EXPECT_TRUE(FUi.Messages.empty()) << "the interval was not touched: no question again";
  type("BOTTOM_DEPTH", "1260.5", TMsgResult::Yes);
  EXPECT_DOUBLE_EQ(body->GetStartDepth(), 1200);
  EXPECT_DOUBLE_EQ(body->IntervalLength(), 60.5);
  type("BOTTOM_DEPTH", "see remarks", TMsgResult::Yes);
  EXPECT_TRUE(FUi.Messages.empty()) << "words are no interval";
  type("BOTTOM_DEPTH", "1100", TMsgResult::Yes);
  EXPECT_TRUE(FUi.Messages.empty()) << "a bottom above the top";
  EXPECT_DOUBLE_EQ(body->IntervalLength(), 60.5);
  SetNamedValuesEditor(nullptr);

  // The depth the sheet fills in is written as the user wrote the other.
  type("BOTTOM_DEPTH", "", TMsgResult::No);
  type("TOP_DEPTH", "2150,25", TMsgResult::Yes);
  EXPECT_DOUBLE_EQ(body->GetStartDepth(), 2150.25);
  EXPECT_EQ(head->Parameters().ValueOf("BOTTOM_DEPTH"), "2210,75");

  // Values read from a file ask the same.
  WriteText("values.txt", "TOP_DEPTH\t1300\nBOTTOM_DEPTH\t1340\n");
  FUi.FileAnswers = {Path("values.txt")};
  FUi.Messages.clear();
  FUi.MessageAnswers = {TMsgResult::Yes};
  ASSERT_TRUE(head->ExecuteMenuCommand(TPrintHeader::cmdFillFromFile));
  EXPECT_EQ(FUi.Messages.size(), 1u);
  EXPECT_DOUBLE_EQ(body->GetStartDepth(), 1300);
  EXPECT_DOUBLE_EQ(body->IntervalLength(), 40);

  // Layers from 1450 m rule out a sheet starting below them: the user is told why.
  TPrintDocument sample;
  ASSERT_TRUE(sample.LoadFromFile(QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/sample.knd")));
  auto* sampleHead = dynamic_cast<TPrintHeader*>(sample.GetChild(0));
  TPassportBody* sampleBody = sample.MainBody();
  ASSERT_TRUE(sampleHead && sampleBody);
  const double start = sampleBody->GetStartDepth();
  ASSERT_TRUE(sampleHead->Parameters().SetValue("TOP_DEPTH", "1500"));
  FUi.Messages.clear();
  EXPECT_FALSE(OfferSheetAtStatedInterval(sampleHead));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Information);
  EXPECT_TRUE(FUi.Messages[0].Text.contains(sampleBody->StartDepthRefusal(1500)));
  EXPECT_DOUBLE_EQ(sampleBody->GetStartDepth(), start);
}

// The sample's body with a ruler marking a depth in a curve track and a
// picture in the core table: notes that stand on the page beside data that
// keep their depths by themselves.
struct TSampleWithNotes {
  TPrintDocument Document;
  TPassportBody* Body = nullptr;
  TPrintStratCol* Lithology = nullptr;
  std::vector<TPrintDesc*> Descs;
  TPrintDeepTable* Table = nullptr;
  TPrintObject* Ruler = nullptr;
  TPrintObject* Picture = nullptr;

  bool Load() {
    if (!Document.LoadFromFile(QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/sample.knd"))) return false;
    Body = dynamic_cast<TPassportBody*>(Document.GetChild(kBody));
    TPrintDiagrams* track = nullptr;
    for (int i = 0; Body && i < Body->Count(); ++i) {
      TPrintObject* c = Body->GetChild(i);
      if (auto* l = dynamic_cast<TPrintStratCol*>(c)) Lithology = l;
      if (auto* d = dynamic_cast<TPrintDesc*>(c)) Descs.push_back(d);
      if (auto* t = dynamic_cast<TPrintDeepTable*>(c)) Table = t;
      if (auto* t = dynamic_cast<TPrintDiagrams*>(c); t && !track) track = t;
    }
    if (!Lithology || Descs.empty() || !Table || !track) return false;
    const double y = Body->DepthToPage(Lithology->Layers().front()->TopDepth() + 12);
    Ruler = Add(track, kindObjectRuller, {track->Left(), y, track->Left() + track->GetWidth(), y + 2});
    Picture = Add(Table, kindImage, {Table->Left() + 2, y + 5, Table->Left() + 20, y + 25});
    return Ruler && Picture;
  }
  static TPrintObject* Add(TPrintObjectList* column, int kind, const TBoundsRect& bounds) {
    std::unique_ptr<TPrintObject> made = column->CreateChild(kind);
    if (!made) return nullptr;
    made->SetBoundsRect(bounds);
    TPrintObject* note = made.get();
    return column->AddChild(std::move(made)) >= 0 ? note : nullptr;
  }
  double DepthOf(double y) const { return Body->PageToDepth(y); }
};

// The sample's layers exported as a geologist does without a rock filter: the
// hole is the well its head names, the rocks the layers' own sign codes.
TEST_F(ShippedTemplates, TheSampleExportsItsLayersUnderTheWellsName) {
  TSampleWithNotes sample;
  ASSERT_TRUE(sample.Load());
  QString proposed;
  SetLayerExportEditor([&proposed](TLayerExportChoice* choice) {
    proposed = choice->Hole;
    return true;
  });
  const bool exported = ExportLayersTo(sample.Lithology, Path("layers.txt"));
  SetLayerExportEditor(nullptr);
  ASSERT_TRUE(exported);
  EXPECT_EQ(proposed, QStringLiteral("412-R"));
  QFile file(Path("layers.txt"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), static_cast<qsizetype>(sample.Lithology->Layers().size()) + 1);
  EXPECT_EQ(lines[1].toStdString(), "412-R\t1450\t1455\tARG\t");
  EXPECT_TRUE(FUi.Messages.empty()) << "every name is written: no log of names left out";
}

// A sheet moved to start higher or lower keeps every column's content at its
// depth: the lithology, the descriptions and the notes (placed on the page)
// move with the curves and the table rows (placed by depth), so the logs and
// the rocks still agree. A top below the first layer or text is refused:
// they would stand over the head.
TEST_F(ShippedTemplates, ChangingTheStartDepthKeepsEveryColumnAtItsDepths) {
  TSampleWithNotes sample;
  ASSERT_TRUE(sample.Load());
  TPrintDocument& document = sample.Document;
  TPassportBody* body = sample.Body;
  TPrintStratCol* lithology = sample.Lithology;
  const std::vector<TPrintDesc*>& descs = sample.Descs;
  const auto depths = [&] {
    std::vector<double> all;
    for (TStratColEntry* layer : lithology->Layers()) all.insert(all.end(), {layer->TopDepth(), layer->BottomDepth()});
    for (TPrintDesc* d : descs)
      for (TPrintText* t : d->Texts())
        all.insert(all.end(),
                   {d->PageToDepth(t->Top()), d->PageToDepth(t->IntervalTop), d->PageToDepth(t->IntervalBottom)});
    for (TPrintDiagramm* c : FindDocumentCurves(&document)) all.push_back(c->StartDepth());
    for (const TPrintObject* note : {sample.Ruler, sample.Picture})
      all.insert(all.end(), {sample.DepthOf(note->Top()), sample.DepthOf(note->Top() + note->GetHeight())});
    all.push_back(sample.Table->DataTopDepth());
    return all;
  };
  const std::vector<double> before = depths();
  const double first = lithology->Layers().front()->TopDepth();
  EXPECT_DOUBLE_EQ(body->PlacedContentDepth(), first);

  body->SetStartDepth(body->GetStartDepth() - 10);
  body->Changed();
  const std::vector<double> after = depths();
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) EXPECT_NEAR(after[i], before[i], 1e-9) << i;
  EXPECT_DOUBLE_EQ(body->PlacedContentDepth(), first);

  EXPECT_TRUE(body->StartDepthRefusal(first).isEmpty());
  const QString why = body->StartDepthRefusal(first + 5);
  EXPECT_TRUE(why.contains(DepthText(first))) << why.toStdString();
  // The body's commands refuse it too, without an undo step.
  FUi.TextAnswers = {DepthText(first + 5)};
  const double start = body->GetStartDepth();
  EXPECT_FALSE(body->ExecuteMenuCommand(bcStartDepth));
  EXPECT_EQ(body->GetStartDepth(), start);
  ASSERT_FALSE(FUi.Messages.empty());
  EXPECT_EQ(FUi.Messages.back().Text, why);

  // A LAS file starting below the first layer fills the curves at their
  // depths; the sheet keeps starting at the layer.
  TLasData las;
  las.Start = first + 20;
  las.Step = 0.5;
  las.Curves.push_back({"GR", "GAPI", {50, 60, 70}});
  FillFromLas(&document, las);
  EXPECT_DOUBLE_EQ(body->GetStartDepth(), first);
  EXPECT_NEAR(lithology->Layers().front()->TopDepth(), first, 1e-9);

  // A note above every layer holds the sheet's top just as a layer does.
  sample.Ruler->SetTop(body->DepthToPage(first - 3));
  EXPECT_NEAR(body->PlacedContentDepth(), first - 3, 1e-9);
  EXPECT_FALSE(body->StartDepthRefusal(first).isEmpty());
}

// A new vertical scale: layers and texts stretch with their intervals; the
// notes keep their size and the depth of their middle, and the table's
// status lines still run down its rows.
TEST_F(ShippedTemplates, ChangingTheScaleKeepsTheNotesAtTheirDepths) {
  TSampleWithNotes sample;
  ASSERT_TRUE(sample.Load());
  auto status = std::make_unique<TStatusDDLine>();
  TStatusDDLine* line = status.get();
  line->SetBoundsRect({sample.Table->Left(), 0, sample.Table->Left() + 3, 1});
  ASSERT_GE(sample.Table->AddChild(std::move(status)), 0);
  sample.Table->ContentChanged();

  const auto middle = [&](const TPrintObject* o) { return sample.DepthOf(o->Top() + o->GetHeight() / 2); };
  const double rulerDepth = middle(sample.Ruler), pictureDepth = middle(sample.Picture);
  const double rulerHeight = sample.Ruler->GetHeight(), pictureHeight = sample.Picture->GetHeight();
  const double layerTop = sample.Lithology->Layers().back()->TopDepth();
  const double rowsTop = sample.Table->DataTopDepth();

  sample.Body->SetVertScale(static_cast<uint16_t>(sample.Body->GetVertScale() * 2));
  EXPECT_NEAR(middle(sample.Ruler), rulerDepth, 1e-9);
  EXPECT_NEAR(middle(sample.Picture), pictureDepth, 1e-9);
  EXPECT_DOUBLE_EQ(sample.Ruler->GetHeight(), rulerHeight);
  EXPECT_DOUBLE_EQ(sample.Picture->GetHeight(), pictureHeight);
  EXPECT_NEAR(sample.Lithology->Layers().back()->TopDepth(), layerTop, 1e-9);
  EXPECT_NEAR(sample.Table->DataTopDepth(), rowsTop, 1e-9);
  EXPECT_DOUBLE_EQ(line->Top(), sample.Table->Top());
  EXPECT_DOUBLE_EQ(line->GetHeight(), sample.Table->GetChildrenHeight()) << "down to the last row";
}

// Curves added at the well's depths into the curve log fresh from its
// template (0-230 m) lie below its plan: the user is asked, and Yes starts
// the sheet at the first curve. Data inside the plan ask nothing.
TEST_F(ShippedTemplates, CurvesBelowAFreshCurveLogOfferToStartTheSheetAtThem) {
  for (const double start : {1450.0, 12.5}) {
    SCOPED_TRACE(start);
    TPrintDocument document;
    ASSERT_TRUE(document.LoadFromFile(TemplateDir() + "curve_log.knt"));
    auto* body = dynamic_cast<TPassportBody*>(document.GetChild(kBody));
    ASSERT_NE(body, nullptr);
    const TBodyDataTops before = BodyDataTops(document);
    ASSERT_EQ(before.size(), 1u);
    EXPECT_TRUE(std::isnan(before[0].second)) << "the template's curves are empty";
    std::vector<TPrintDiagramm*> curves = FindDocumentCurves(&document);
    ASSERT_GE(curves.size(), 2u);
    ASSERT_TRUE(curves[0]->SetSamples(start + 3, 0.5, {1, 2, 3}));
    ASSERT_TRUE(curves[1]->SetSamples(start, 0.5, {4, 5}));
    body->Changed();
    EXPECT_DOUBLE_EQ(body->DataTopDepth(), start) << "the shallowest curve";
    FUi.Messages.clear();
    FUi.MessageAnswers = {TMsgResult::Yes};
    const bool moved = OfferSheetsAtData(&document, before);
    EXPECT_EQ(moved, start > 230);
    EXPECT_EQ(FUi.Messages.size(), start > 230 ? 1u : 0u);
    EXPECT_DOUBLE_EQ(body->GetStartDepth(), start > 230 ? start : 0);
    EXPECT_DOUBLE_EQ(body->IntervalLength(), 230);
  }

  // Core histograms added to a fresh sheet are its data too.
  TPrintDocument document;
  ASSERT_TRUE(document.LoadFromFile(TemplateDir() + "curve_log.knt"));
  auto* body = dynamic_cast<TPassportBody*>(document.GetChild(kBody));
  ASSERT_NE(body, nullptr);
  TPrintDiagrams* track = nullptr;
  for (int i = 0; i < body->Count() && !track; ++i) track = dynamic_cast<TPrintDiagrams*>(body->GetChild(i));
  ASSERT_NE(track, nullptr);
  const TBodyDataTops before = BodyDataTops(document);
  TStringTable core;
  core.AutoColumns = false;
  core.SetColCount(3);
  core.SetRowCount(2);
  const QStringList cells{"1462", "1464", "12", "1460.5", "1462", "18"};
  for (int i = 0; i < 6; ++i) core.SetCell(i % 3, i / 3, cells[i]);
  core.SetHeader(2, QStringLiteral("Porosity"));
  ASSERT_EQ(track->AddHistograms(core), 1);
  body->Changed();
  EXPECT_DOUBLE_EQ(body->DataTopDepth(), 1460.5) << "the shallowest interval, not the first row";
  FUi.MessageAnswers = {TMsgResult::Yes};
  EXPECT_TRUE(OfferSheetsAtData(&document, before));
  EXPECT_DOUBLE_EQ(body->GetStartDepth(), 1460.5);
}

// A file as logging companies write them: depths in feet, gamma ray as GAMN,
// caliper in millimetres. The log lands at its depth in metres, GR and CALI
// are filled (CALI in the inches its scale is drawn in), the head's interval
// reads in metres, and standard error says what was done.
TEST_F(ShippedTemplates, CurveLogFilledFromAFileInFeetWithOtherNames) {
  WriteText("feet.las",
            "~Version\nVERS. 2.0 :\nWRAP. NO :\n~Well\nSTRT.FT 4920.0000 :\nSTOP.FT 4921.0000 :\n"
            "STEP.FT 0.5000 :\nNULL. -999.25 :\nWELL. 12-F :\n~Curve\nDEPT.FT :\nGAMN.GAPI :\nCALI.MM :\n"
            "~A\n4920.0 40 215.9\n4920.5 -999.25 228.6\n4921.0 60 254\n");
  const TKernoRun filled = RunKerno({"--fill", "curve_log.knt", "--las", Path("feet.las"), Path("feet.knd")});
  ASSERT_EQ(filled.Status, 0) << filled.Err.toStdString();
  for (const char* said :
       {"in FT: they are converted to metres", "curve GR: filled from GAMN", "curve CALI: converted from MM to IN"})
    EXPECT_TRUE(filled.Err.contains(said)) << said << "\n" << filled.Err.toStdString();

  TPrintDocument document;
  ASSERT_TRUE(document.LoadFromFile(Path("feet.knd")));
  auto* head = dynamic_cast<TPrintHeader*>(document.GetChild(0));
  auto* body = dynamic_cast<TPassportBody*>(document.GetChild(kBody));
  ASSERT_TRUE(head && body);
  EXPECT_DOUBLE_EQ(body->GetStartDepth(), 4920 * 0.3048);
  EXPECT_NEAR(body->BottomDepth(), 4921 * 0.3048, 1e-9) << "the file's interval, not the template's 230 m";
  EXPECT_EQ(head->Parameters().ValueOf("TOP_DEPTH"), "1499.616");
  EXPECT_EQ(head->Parameters().ValueOf("BOTTOM_DEPTH"), "1499.9208");
  TPrintDiagramm* gr = nullptr;
  TPrintDiagramm* cali = nullptr;
  for (TPrintDiagramm* c : FindDocumentCurves(&document)) {
    if (c->Name() == "GR") gr = c;
    if (c->Name() == "CALI") cali = c;
  }
  ASSERT_TRUE(gr && cali);
  EXPECT_DOUBLE_EQ(gr->DepthStep(), 0.1524);
  ASSERT_EQ(gr->SampleCount(), 3);
  EXPECT_EQ(gr->Samples()[2], 60);
  EXPECT_EQ(gr->Samples()[1], gr->NullValue());
  ASSERT_EQ(cali->SampleCount(), 3);
  EXPECT_DOUBLE_EQ(cali->Samples()[0], 8.5);
  EXPECT_DOUBLE_EQ(cali->Samples()[2], 10);

  // Depths in metres keep the file's text, less the zeros that say nothing.
  WriteText("metres.las",
            "~Version\nVERS. 2.0 :\n~Well\nSTRT.M 0.0500000 :\nSTOP.M 136.600 :\n~Curve\nDEPT.M :\nGR.GAPI :\n"
            "~A\n0.05 1\n0.10 2\n");
  ASSERT_EQ(RunKerno({"--fill", "curve_log.knt", "--las", Path("metres.las"), Path("metres.knd")}).Status, 0);
  TPrintDocument metres;
  ASSERT_TRUE(metres.LoadFromFile(Path("metres.knd")));
  auto* metresHead = dynamic_cast<TPrintHeader*>(metres.GetChild(0));
  ASSERT_TRUE(metresHead);
  EXPECT_EQ(metresHead->Parameters().ValueOf("TOP_DEPTH"), "0.05");
  EXPECT_EQ(metresHead->Parameters().ValueOf("BOTTOM_DEPTH"), "136.6");
}

// The curve log filled from the sample LAS file: curves by mnemonic, the
// head from ~Well, the body at STRT; the one template curve the file lacks
// named on standard error; the printed pages as the references show them; and
// the document's curves written back as LAS give the sample's curves again.
TEST_F(ShippedTemplates, CurveLogFilledFromTheSampleLasIsARealLog) {
  const QString las = QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/curve_log_sample.las");
  const TKernoRun filled = RunKerno({"--fill", "curve_log.knt", "--las", las, Path("filled.knd")});
  ASSERT_EQ(filled.Status, 0) << filled.Err.toStdString();
  EXPECT_TRUE(filled.Err.contains("curve RT: no curve of that mnemonic")) << filled.Err.toStdString();
  EXPECT_EQ(filled.Err.count('\n'), 1) << filled.Err.toStdString();

  TPrintDocument document;
  ASSERT_TRUE(document.LoadFromFile(Path("filled.knd")));
  auto* head = dynamic_cast<TPrintHeader*>(document.GetChild(0));
  auto* titles = dynamic_cast<TPrintHeader*>(document.GetChild(1));
  auto* body = dynamic_cast<TPassportBody*>(document.GetChild(kBody));
  ASSERT_TRUE(head && titles && body);
  EXPECT_EQ(head->Parameters().ValueOf("WELL"), "7-K");
  EXPECT_EQ(head->Parameters().ValueOf("FIELD"), "Severnoye");
  EXPECT_EQ(body->GetStartDepth(), 1450);
  const std::vector<TPrintDiagramm*> curves = FindDocumentCurves(&document);
  ASSERT_EQ(curves.size(), 8u);
  EXPECT_EQ(curves[0]->Name(), "GR");
  EXPECT_EQ(curves[0]->SampleCount(), 1251);
  EXPECT_DOUBLE_EQ(body->GetHeight(), 250.0 * 1000 / body->GetVertScale());
  // The head names the scale the curves are drawn at; the curves' scales
  // stand in the head's last rows, inside their tracks, and hide no log.
  EXPECT_EQ(head->Parameters().ValueOf("SCALE"), "500");
  for (TPrintDiagrams* track : FindCurveColumns(body)) {
    EXPECT_TRUE(track->HeadersAbove()) << track->Name().toStdString();
    for (TPrintDiagramm* curve : track->Curves())
      for (int i = 0; i < curve->Count(); ++i) {
        const TBoundsRect r = curve->GetChild(i)->GetBoundsRect();
        EXPECT_GE(r.Top, titles->Top()) << curve->Name().toStdString();
        EXPECT_LE(r.Bottom, body->Top()) << curve->Name().toStdString();
      }
  }

  const TKernoRun pdf = RunKerno({"--export", Path("filled.knd"), Path("filled.pdf")});
  ASSERT_EQ(pdf.Status, 0) << pdf.Err.toStdString();
  const TKernoRun back = RunKerno({"--export", Path("filled.knd"), Path("back.las")});
  ASSERT_EQ(back.Status, 0) << back.Err.toStdString();
  TLasData original, exported;
  QString error;
  ASSERT_TRUE(ReadLasCurves(las, &original, &error));
  ASSERT_TRUE(ReadLasCurves(Path("back.las"), &exported, &error)) << error.toStdString();
  EXPECT_EQ(exported.Header.WellValue("WELL"), "7-K");
  ASSERT_EQ(exported.Curves.size(), original.Curves.size());
  for (size_t k = 0; k < original.Curves.size(); ++k) {
    EXPECT_EQ(exported.Curves[k].Mnemonic, original.Curves[k].Mnemonic);
    EXPECT_EQ(exported.Curves[k].Unit, original.Curves[k].Unit);
    ASSERT_EQ(exported.Curves[k].Samples.size(), original.Curves[k].Samples.size());
    for (size_t i = 0; i < original.Curves[k].Samples.size(); ++i) {
      const double a = original.Curves[k].Samples[i], b = exported.Curves[k].Samples[i];
      if (std::isnan(a)) {
        EXPECT_TRUE(std::isnan(b));
      } else {
        EXPECT_DOUBLE_EQ(a, b);
      }
    }
  }
  if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
    GTEST_SKIP() << "pdftoppm (poppler-utils) not installed: pages not compared";
  ExpectReferencePages(Path("filled.pdf"), QStringLiteral("curve_log_filled.knt"), QStringLiteral("filled"));
}

TEST_F(ShippedTemplates, TheirExtraBlocksJoinTheDocumentInTheProgramsLanguage) {
  for (const bool russian : {false, true}) {
    if (russian) {
      ASSERT_TRUE(LoadLanguage(kRussianPack));
    }
    for (const QString& file : TemplateSheetFiles()) {
      SCOPED_TRACE(file.toStdString() + (russian ? " in Russian" : " in English"));
      TPrintDocument document;
      ASSERT_TRUE(document.LoadFromFile(TemplateDir() + file));
      EXPECT_TRUE(FUi.Messages.empty()) << "every head file found";
      auto* head = dynamic_cast<TPrintHeader*>(document.GetChild(0));
      ASSERT_NE(head, nullptr);
      const QString title = dynamic_cast<TPrintText*>(head->GetChild(1))->GetText();
      EXPECT_EQ(title.contains(QRegularExpression("[А-Я]")), russian) << title.toStdString();
      EXPECT_EQ(head->Caption(), russian ? "Заголовок" : "Head");
      const QString bodyName = document.GetChild(kBody)->Caption();
      EXPECT_EQ(bodyName.contains(QRegularExpression("[А-Яа-я]")), russian) << bodyName.toStdString();

      ASSERT_TRUE(document.HasAddBlocks());
      dynamic_cast<TPassportBody*>(document.GetChild(kBody))->SetStartDepth(1450);
      // The closing head first: the detail block still comes above it.
      FUi.ListAnswers = {1, 0};
      FUi.TextAnswers = {"Closing", "Closer look"};
      ASSERT_TRUE(document.AddBlockFromTemplate());
      ASSERT_TRUE(document.AddBlockFromTemplate());
      ASSERT_EQ(FUi.Lists.size(), 2u);
      const QStringList offered = FUi.Lists.back();
      FUi.Lists.clear();
      ASSERT_EQ(offered.size(), 2);
      for (const QString& name : offered)
        EXPECT_EQ(name.contains(QRegularExpression("[А-Яа-я]")), russian) << name.toStdString();
      ASSERT_EQ(document.Count(), kBody + 3);
      auto* detail = dynamic_cast<TPassportBody*>(document.GetChild(kBody + 1));
      ASSERT_NE(detail, nullptr);
      EXPECT_EQ(detail->Caption(), "Closer look");
      EXPECT_LT(detail->GetVertScale(), dynamic_cast<TPassportBody*>(document.GetChild(kBody))->GetVertScale())
          << "a closer look than the main body";
      EXPECT_EQ(document.GetChild(kBody)->Caption(), bodyName) << "the main body is left alone";
      ExpectReadableDepthScale(detail);
      EXPECT_DOUBLE_EQ(detail->GetStartDepth(), 1450) << "a detail of the sheet's own depths";
      EXPECT_DOUBLE_EQ(detail->Top(), document.GetChild(kBody)->Top() + document.GetChild(kBody)->GetHeight());
      auto* remarks = dynamic_cast<TPrintHeader*>(document.GetChild(kBody + 2));
      ASSERT_NE(remarks, nullptr);
      EXPECT_EQ(remarks->Caption(), "Closing");
      EXPECT_GE(remarks->Parameters().IndexOf(QStringLiteral("CONCLUSIONS")), 0);
      EXPECT_GE(remarks->Parameters().IndexOf(QStringLiteral("WELL")), 0);
      const QString remarksTitle = dynamic_cast<TPrintText*>(remarks->GetChild(0))->GetText();
      EXPECT_EQ(remarksTitle.contains(QRegularExpression("[А-Я]")), russian) << remarksTitle.toStdString();
    }
  }
}

// The head states the scale the sheet is drawn at, also after the main body's
// scale changes; a scale the user wrote in, or a detail block's change, leaves it.
TEST_F(ShippedTemplates, TheHeadFollowsTheMainBodysScale) {
  TPrintDocument document;
  ASSERT_TRUE(document.LoadFromFile(TemplateDir() + "well_log.knt"));
  auto* head = dynamic_cast<TPrintHeader*>(document.GetChild(0));
  auto* body = dynamic_cast<TPassportBody*>(document.GetChild(kBody));
  ASSERT_TRUE(head && body);
  auto printed = [&] {
    QString all;
    for (int i = 0; i < head->Count(); ++i)
      if (auto* text = dynamic_cast<TPrintText*>(head->GetChild(i))) all += text->PrintedText() + '\n';
    return all;
  };
  ASSERT_TRUE(printed().contains("1:200")) << printed().toStdString();
  document.SetModified(false);

  body->SetVertScale(500);
  EXPECT_EQ(head->Parameters().ValueOf("SCALE"), "500");
  EXPECT_TRUE(printed().contains("1:500")) << printed().toStdString();
  EXPECT_FALSE(printed().contains("1:200"));
  EXPECT_TRUE(document.GetModified());

  FUi.ListAnswers = {0};
  FUi.TextAnswers = {"Detail"};
  ASSERT_TRUE(document.AddBlockFromTemplate());
  auto* detail = dynamic_cast<TPassportBody*>(document.GetChild(kBody + 1));
  ASSERT_NE(detail, nullptr);
  detail->SetVertScale(500 == detail->GetVertScale() ? 20 : 500);
  detail->SetVertScale(1000);
  EXPECT_EQ(head->Parameters().ValueOf("SCALE"), "500") << "only the main body's scale is the sheet's";

  head->Parameters().SetValueAt(head->Parameters().IndexOf("SCALE"), "500 (reduced)");
  body->SetVertScale(1000);
  EXPECT_EQ(head->Parameters().ValueOf("SCALE"), "500 (reduced)") << "the user's own text stays";
}

// On screen the lithology column's signs come from images of their blocks; the column
// must look as the signs' metafiles played one by one draw it (recorded as vectors in a
// picture, then played onto the same kind of image), at two zooms. Only the column is
// compared: text replayed from a picture may sit a pixel apart. The layers are a
// clastic and carbonate section of the shipped database's signs.
TEST_F(ShippedTemplates, LithologyColumnOnScreenLooksAsItsVectorDrawing) {
  TPrintDocument document;
  ASSERT_TRUE(document.LoadFromFile(TemplateDir() + QStringLiteral("lithology_log.knt")));
  TPrintStratCol* column = nullptr;
  for (int i = 0; i < document.Count() && !column; ++i)
    if (auto* list = dynamic_cast<TPrintObjectList*>(document.GetChild(i)))
      for (int k = 0; k < list->Count() && !column; ++k) column = dynamic_cast<TPrintStratCol*>(list->GetChild(k));
  ASSERT_NE(column, nullptr);
  const struct {
    double Top, Bottom;
    QStringList Signs;
  } layers[] = {{0, 3, {"LOAM"}},   {3, 7.5, {"CLY"}}, {7.5, 12, {"SSTF"}}, {12, 14, {"SLT"}},
                {14, 15, {"COAL"}}, {15, 21, {"ARG"}}, {21, 27, {"LST"}},   {27, 30, {"LSTA", "CLY"}},
                {30, 36, {"DOL"}},  {36, 38, {"ANH"}}, {38, 42, {"SSTM"}},  {42, 45, {"CGL"}}};
  for (const auto& l : layers) ASSERT_NE(column->AddLayer(l.Top, l.Bottom, l.Signs), nullptr) << l.Top;
  EXPECT_EQ(column->UnknownSignLayers(), 0) << "every sign is in the shipped database";
  column->AutoPlaceAll();
  for (float zoom : {1.0f, 1.7f}) {
    const QSize size(static_cast<int>(210 * 96 / 25.4 * zoom), static_cast<int>(297 * 96 / 25.4 * zoom));
    QRect area;
    auto draw = [&](QPaintDevice* device) {
      QPainter painter(device);
      TDrawContext c;
      c.DC = &painter;
      c.Zoom = zoom;
      c.Options = doBorders;
      c.ClipRect = {0, 0, size.width(), size.height()};
      document.Draw(c);
      area = ToQRect(column->GetPixelRect(c)) & QRect(QPoint(0, 0), size);
    };
    QImage screen(size, QImage::Format_RGB32);
    screen.fill(Qt::white);
    draw(&screen);
    const QImage played = PlayedVectorDrawing(size, draw);
    ASSERT_GT(area.width() * area.height(), 10000);
    const int differing = CountDifferingPixels(screen.copy(area), played.copy(area), 4);
    int painted = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) painted += screen.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_EQ(differing, 0) << "zoom " << zoom;
    EXPECT_GT(painted, area.width() * area.height() / 20) << "the signs show";
    if (differing) {
      screen.save(Path(QStringLiteral("lithology-screen-%1.png").arg(zoom)));
      played.save(Path(QStringLiteral("lithology-vectors-%1.png").arg(zoom)));
    }
  }
}
