// Copy and paste of objects on the shipped sample: a column lands right of
// the selected one with its curves, a curve finds the column that holds
// curves, head texts keep their place in their block, blocks go below the
// last, and damaged or misplaced clipboard contents change nothing.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <random>

#include "qsID.h"
#include "uClipboardText.h"
#include "uDrawContext.h"
#include "uDrawSmall.h"
#include "uKinds.h"
#include "uLasFill.h"
#include "uMemoryStream.h"
#include "uNewQS.h"
#include "uObjectClipboard.h"
#include "uObjectDocument.h"
#include "uObjectFile.h"
#include "uPassportBody.h"
#include "uPrintDeepTable.h"
#include "uPrintDesc.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrams.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uPrintStratCol.h"
#include "uRegistration.h"
#include "uScratchEnvTest.h"
#include "uStorage.h"
#include "uTableEdits.h"

namespace {

const QString kSample = QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/sample.knd");

class ObjectClipboard : public TScratchEnvTest {
 protected:
  ObjectClipboard() { UseProgramDir(QStringLiteral(KERNO_PROGRAM_DIR)); }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterKinds();
    QString error;
    ASSERT_TRUE(FDocument.LoadFromFile(kSample, &error)) << error.toStdString();
    FBody = dynamic_cast<TPassportBody*>(FDocument.GetChild(2));
    ASSERT_TRUE(FBody);
    FDocument.SetModified(false);
  }

  TPrintDiagrams* CurveColumn(const QString& name) const {
    for (int i = 0; i < FBody->Count(); ++i)
      if (auto* c = dynamic_cast<TPrintDiagrams*>(FBody->GetChild(i)); c && c->Name() == name) return c;
    return nullptr;
  }

  template <class T>
  T* Column() const {
    for (int i = 0; i < FBody->Count(); ++i)
      if (auto* c = dynamic_cast<T*>(FBody->GetChild(i))) return c;
    return nullptr;
  }

  static std::vector<TPrintDiagramm*> CurvesOf(TPrintObject* column) { return FindDocumentCurves(column); }

  static void ExpectSameCurves(TPrintObject* a, TPrintObject* b) {
    const auto ca = CurvesOf(a);
    const auto cb = CurvesOf(b);
    ASSERT_EQ(ca.size(), cb.size());
    ASSERT_FALSE(ca.empty());
    for (size_t i = 0; i < ca.size(); ++i) {
      EXPECT_EQ(ca[i]->Name(), cb[i]->Name());
      EXPECT_EQ(ca[i]->Samples(), cb[i]->Samples());
      EXPECT_DOUBLE_EQ(ca[i]->StartDepth(), cb[i]->StartDepth());
      EXPECT_DOUBLE_EQ(ca[i]->DepthStep(), cb[i]->DepthStep());
    }
  }

  TPrintDocument FDocument;
  TPassportBody* FBody = nullptr;
};

}  // namespace

TEST_F(ObjectClipboard, AColumnIsPastedRightOfTheSelectedOneWithItsCurvesAndSavesWithTheDocument) {
  TPrintDiagrams* gamma = CurveColumn(QStringLiteral("Gamma ray"));
  ASSERT_TRUE(gamma);
  std::vector<std::pair<TPrintObject*, double>> lefts;
  for (int i = 0; i < FBody->Count(); ++i) lefts.emplace_back(FBody->GetChild(i), FBody->GetChild(i)->Left());
  const int columns = FBody->Count();

  QString error;
  const QByteArray bytes = CopyObjectBytes(gamma, &error);
  ASSERT_FALSE(bytes.isEmpty()) << error.toStdString();
  EXPECT_FALSE(FDocument.GetModified()) << "a copy is not a change";
  EXPECT_EQ(CopiedObjectKind(bytes), gamma->GetKind());

  TPrintObject* pasted = PasteObjectBytes(bytes, gamma, &error);
  ASSERT_TRUE(pasted) << error.toStdString();
  EXPECT_EQ(FBody->Count(), columns + 1);
  EXPECT_EQ(pasted->Parent(), FBody);
  EXPECT_TRUE(pasted->Selected());
  EXPECT_FALSE(gamma->Selected());
  EXPECT_TRUE(FDocument.GetModified());
  EXPECT_DOUBLE_EQ(pasted->Left(), gamma->Left() + gamma->GetWidth());
  EXPECT_DOUBLE_EQ(pasted->GetWidth(), gamma->GetWidth());
  EXPECT_DOUBLE_EQ(pasted->Top(), FBody->Top());
  EXPECT_DOUBLE_EQ(pasted->GetHeight(), FBody->GetHeight());
  for (const auto& [column, left] : lefts) {
    const double expected = left > gamma->Left() ? left + gamma->GetWidth() : left;
    EXPECT_DOUBLE_EQ(column->Left(), expected) << "the columns right of it make room";
  }
  ExpectSameCurves(gamma, pasted);
  // The curves are drawn on the same depths in the new place.
  const auto from = CurvesOf(gamma);
  const auto to = CurvesOf(pasted);
  EXPECT_DOUBLE_EQ(to[0]->Top(), from[0]->Top());
  EXPECT_DOUBLE_EQ(to[0]->Left() - pasted->Left(), from[0]->Left() - gamma->Left());

  ASSERT_TRUE(FDocument.SaveToFile(Path("pasted.knd"), &error)) << error.toStdString();
  TPrintDocument again;
  ASSERT_TRUE(again.LoadFromFile(Path("pasted.knd"), &error)) << error.toStdString();
  auto* body = dynamic_cast<TPassportBody*>(again.GetChild(2));
  ASSERT_TRUE(body);
  ASSERT_EQ(body->Count(), columns + 1);
  EXPECT_EQ(CurvesOf(body).size(), CurvesOf(FBody).size());
}

TEST_F(ObjectClipboard, CopyingLeavesTheMarksOfChangesAsTheyWere) {
  TPrintDiagrams* gamma = CurveColumn(QStringLiteral("Gamma ray"));
  ASSERT_TRUE(gamma);
  TPrintDiagramm* curve = CurvesOf(gamma)[0];
  curve->MoveBy(1, 0);
  ASSERT_TRUE(curve->GetModified());
  ASSERT_FALSE(CopyObjectBytes(gamma).isEmpty());
  EXPECT_TRUE(curve->GetModified()) << "a copy must not pass for a save";
  EXPECT_TRUE(gamma->GetModified());
  EXPECT_TRUE(FDocument.GetModified());
  // A document saved (or loaded) with marks left below it stays unmarked.
  FDocument.SetModified(false);
  FBody->SetModified(false);
  ASSERT_FALSE(CopyObjectBytes(gamma).isEmpty());
  EXPECT_TRUE(curve->GetModified());
  EXPECT_FALSE(FBody->GetModified());
  EXPECT_FALSE(FDocument.GetModified());
}

TEST_F(ObjectClipboard, ObjectsFindTheNearestListThatHoldsTheirKind) {
  TPrintDiagrams* gamma = CurveColumn(QStringLiteral("Gamma ray"));
  TPrintDiagrams* resistivity = CurveColumn(QStringLiteral("Resistivity"));
  ASSERT_TRUE(gamma && resistivity);
  TPrintDiagramm* curve = CurvesOf(gamma)[0];
  const QByteArray bytes = CopyObjectBytes(curve);
  ASSERT_FALSE(bytes.isEmpty());

  // A curve selected in the other column: the curve goes beside it, into that column.
  const size_t before = CurvesOf(resistivity).size();
  QString error;
  TPrintObject* pasted = PasteObjectBytes(bytes, CurvesOf(resistivity)[0], &error);
  ASSERT_TRUE(pasted) << error.toStdString();
  EXPECT_EQ(pasted->Parent(), resistivity);
  ASSERT_EQ(CurvesOf(resistivity).size(), before + 1);
  auto* copy = dynamic_cast<TPrintDiagramm*>(pasted);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Samples(), curve->Samples());
  EXPECT_DOUBLE_EQ(copy->StartDepth(), curve->StartDepth());
  EXPECT_DOUBLE_EQ(pasted->Left() - resistivity->Left(), curve->Left() - gamma->Left());

  // The lithology column and the head hold no curves, nor does anything above them.
  auto* lithology = Column<TPrintStratCol>();
  ASSERT_TRUE(lithology);
  const int columns = FBody->Count();
  EXPECT_FALSE(PasteObjectBytes(bytes, lithology, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(PasteObjectBytes(bytes, FDocument.GetChild(0), &error));
  EXPECT_EQ(FBody->Count(), columns);
  EXPECT_EQ(CurvesOf(resistivity).size(), before + 1);

  // A head text keeps its place in whichever head it goes to.
  auto* head = dynamic_cast<TPrintHeader*>(FDocument.GetChild(0));
  auto* remarks = dynamic_cast<TPrintHeader*>(FDocument.GetChild(3));
  ASSERT_TRUE(head && remarks && head->Count() > 2);
  TPrintObject* text = head->GetChild(2);
  const QByteArray textBytes = CopyObjectBytes(text);
  const int texts = remarks->Count();
  pasted = PasteObjectBytes(textBytes, remarks, &error);
  ASSERT_TRUE(pasted) << error.toStdString();
  EXPECT_EQ(remarks->Count(), texts + 1);
  EXPECT_DOUBLE_EQ(pasted->Left() - remarks->Left(), text->Left() - head->Left());
  EXPECT_DOUBLE_EQ(pasted->Top() - remarks->Top(), text->Top() - head->Top());
  QString a, b;
  text->GetCaption(&a);
  pasted->GetCaption(&b);
  EXPECT_EQ(a, b);
}

TEST_F(ObjectClipboard, ABlockGoesBelowTheLastAndTheBlockMenusAreRebuilt) {
  int structureChanges = 0;
  FDocument.SetOnStructureChanged([&](TPrintDocument*) { ++structureChanges; });
  const QByteArray bytes = CopyObjectBytes(FDocument.GetChild(0));
  ASSERT_FALSE(bytes.isEmpty());
  double bottom = 0;
  for (int i = 0; i < FDocument.Count(); ++i)
    bottom = std::max(bottom, FDocument.GetChild(i)->Top() + FDocument.GetChild(i)->GetHeight());
  const int blocks = FDocument.Count();
  QString error;
  // A column selected: neither it nor the body holds heads; the document does.
  TPrintObject* pasted = PasteObjectBytes(bytes, FBody->GetChild(0), &error);
  ASSERT_TRUE(pasted) << error.toStdString();
  EXPECT_EQ(FDocument.Count(), blocks + 1);
  EXPECT_EQ(pasted->Parent(), &FDocument);
  EXPECT_DOUBLE_EQ(pasted->Top(), bottom);
  EXPECT_GE(structureChanges, 1);
}

TEST_F(ObjectClipboard, DamagedClipboardContentsChangeNothing) {
  TPrintDiagrams* gamma = CurveColumn(QStringLiteral("Gamma ray"));
  ASSERT_TRUE(gamma);
  const QByteArray good = CopyObjectBytes(gamma);
  ASSERT_FALSE(good.isEmpty());
  std::vector<QByteArray> damaged = {QByteArray(), QByteArray("not an object"), good.left(good.size() / 2),
                                     good.left(512)};
  std::mt19937 rng(7);
  for (int k = 0; k < 40; ++k) {
    QByteArray b = good;
    for (int n = 0; n < 16; ++n) b[static_cast<qsizetype>(rng() % static_cast<uint32_t>(b.size()))] = char(rng());
    damaged.push_back(b);
  }
  // A storage without the header; headers naming a kind no list holds, and a
  // curve column whose values are missing (made, then taken out again).
  const auto withHeader = [](int kind) {
    auto storage = TStorage::CreateNew();
    if (kind) {
      TComPtr<ICompoundStream> qs = NewQS();
      qsWriteInteger(qs.Get(), 1, kind);
      TComPtr<IStream> memory;
      CreateMemoryStream(memory.Put());
      qsSaveToStream(qs.Get(), memory.Get());
      memory->Seek(0, 0, nullptr);
      storage->WriteStream(QStringLiteral("clip"), memory.Get());
    }
    std::vector<uint8_t> bytes;
    storage->SaveToBytes(&bytes);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  };
  for (const int kind : {0, 9999, -4, static_cast<int>(kindDiagrams)}) damaged.push_back(withHeader(kind));
  ASSERT_EQ(CopiedObjectKind(damaged.back()), kindDiagrams);
  const int columns = FBody->Count();
  const size_t curves = CurvesOf(FBody).size();
  int refused = 0;
  for (const QByteArray& b : damaged) {
    QString error;
    TPrintObject* pasted = PasteObjectBytes(b, gamma, &error);
    if (!pasted) {
      ++refused;
      EXPECT_FALSE(error.isEmpty());
      EXPECT_EQ(FBody->Count(), columns);
      EXPECT_EQ(CurvesOf(FBody).size(), curves);
      EXPECT_FALSE(FDocument.GetModified()) << "a refused paste left a mark of a change";
      continue;
    }
    // Bytes that still load paste a column; it goes again so the next case starts alike.
    EXPECT_EQ(FBody->Count(), columns + 1);
    ASSERT_TRUE(FBody->RemoveChild(pasted));
    FDocument.SetModified(false);
  }
  EXPECT_GE(refused, 5);
}

namespace {

// An object's properties with every horizontal position left out (a pasted
// column stands elsewhere across the sheet, and so do the columns it moved).
QJsonValue WithoutLefts(const QJsonValue& value) {
  if (value.isArray()) {
    QJsonArray out;
    for (const QJsonValue& v : value.toArray()) out.append(WithoutLefts(v));
    return out;
  }
  // Widths and value ranges are worked out from positions: ten digits are theirs, the rest rounding.
  if (value.isDouble()) return QString::number(value.toDouble(), 'g', 10).toDouble();
  if (!value.isObject()) return value;
  QJsonObject out;
  const QJsonObject in = value.toObject();
  for (auto it = in.begin(); it != in.end(); ++it)
    if (it.key() != QLatin1String("left")) out.insert(it.key(), WithoutLefts(it.value()));
  return out;
}

std::string Properties(TPrintObject* object) {
  QJsonObject json;
  object->DumpProperties(&json);
  return QJsonDocument(WithoutLefts(json).toObject()).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace

TEST_F(ObjectClipboard, EveryColumnOfTheSamplePastesAsAnEqualColumnThatSavesAndDraws) {
  std::vector<TPrintObject*> originals;
  for (int i = 0; i < FBody->Count(); ++i) originals.push_back(FBody->GetChild(i));
  ASSERT_GE(originals.size(), 8u);
  std::vector<std::pair<TPrintObject*, TPrintObject*>> pairs;
  for (TPrintObject* column : originals) {
    SCOPED_TRACE(KindName(column->GetKind()).toStdString());
    QString error;
    TPrintObject* pasted = PasteObjectBytes(CopyObjectBytes(column, &error), column, &error);
    ASSERT_TRUE(pasted) << error.toStdString();
    EXPECT_EQ(pasted->GetKind(), column->GetKind());
    pairs.emplace_back(column, pasted);
    DrawSmall(&FDocument);
  }
  for (const auto& [column, pasted] : pairs) {
    SCOPED_TRACE(KindName(column->GetKind()).toStdString());
    EXPECT_EQ(Properties(pasted), Properties(column));
  }
  QString error;
  ASSERT_TRUE(FDocument.SaveToFile(Path("doubled.knd"), &error)) << error.toStdString();
  TPrintDocument again;
  ASSERT_TRUE(again.LoadFromFile(Path("doubled.knd"), &error)) << error.toStdString();
  auto* body = dynamic_cast<TPassportBody*>(again.GetChild(2));
  ASSERT_TRUE(body);
  ASSERT_EQ(body->Count(), FBody->Count());
  for (int i = 0; i < body->Count(); ++i) EXPECT_EQ(Properties(body->GetChild(i)), Properties(FBody->GetChild(i)));
  DrawSmall(&again);
}

TEST_F(ObjectClipboard, OtherProgramsGetATablesCellsAsTabSeparatedText) {
  auto* core = Column<TPrintDeepTable>();
  ASSERT_TRUE(core);
  const TStringTable& table = core->Table();
  ASSERT_GT(table.RowCount(), 1);
  const std::vector<QStringList> rows = ParseTabText(ClipboardText(core));
  ASSERT_EQ(static_cast<int>(rows.size()), table.RowCount());
  for (int r = 0; r < table.RowCount(); ++r)
    for (int c = 0; c < table.ColCount(); ++c)
      EXPECT_EQ(rows[static_cast<size_t>(r)].value(c), table.GetCell(c, r)) << r << "," << c;

  // The description column: an interval and its text per line.
  TPrintDesc* rocks = nullptr;
  for (int i = 0; i < FBody->Count(); ++i)
    if (auto* d = dynamic_cast<TPrintDesc*>(FBody->GetChild(i));
        d && (!rocks || d->Entries().size() > rocks->Entries().size()))
      rocks = d;
  ASSERT_TRUE(rocks && !rocks->Entries().empty());
  const std::vector<QStringList> texts = ParseTabText(ClipboardText(rocks));
  ASSERT_EQ(texts.size(), rocks->Entries().size());
  EXPECT_EQ(texts[0].size(), 3);
  EXPECT_DOUBLE_EQ(texts[0].value(0).toDouble(), 1450);
  EXPECT_FALSE(texts[0].value(2).isEmpty());

  // Anything else: its caption.
  QString caption;
  FBody->GetCaption(&caption);
  EXPECT_EQ(ClipboardText(FBody), caption);
}

TEST_F(ObjectClipboard, ACurveColumnReachesOtherProgramsAsDepthsAndValues) {
  TPrintDiagrams* gamma = CurveColumn(QStringLiteral("Gamma ray"));
  ASSERT_TRUE(gamma);
  const std::vector<TPrintDiagramm*> curves = CurvesOf(gamma);
  ASSERT_EQ(curves.size(), 1u);
  const TPrintDiagramm* gr = curves[0];
  const std::vector<QStringList> rows = ParseTabText(ClipboardText(gamma));
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[0].value(1), gr->Name()) << "a header row of the curves' names";
  // From the curve's first sample to its last, not from depth 0.
  EXPECT_NEAR(rows[1].value(0).toDouble(), gr->StartDepth(), 1e-6);
  EXPECT_NEAR(rows.back().value(0).toDouble(), gr->EndDepth(), 1e-6);
  EXPECT_EQ(static_cast<int64_t>(rows.size()) - 1, gr->SampleCount());
  EXPECT_NEAR(rows[1].value(1).toDouble(), gr->Samples().front(), 1e-6);
}

// An object file opened like a document: a head or a body (which carries
// its interval and scale) becomes the only block of a new document that
// saves, opens again and draws; a column's file says where it is loaded.
TEST_F(ObjectClipboard, AHeadsOrABodysObjectFileOpensAsADocumentOfItsOwn) {
  std::vector<TDataObject*> objects;
  for (int i = 0; i < FDocument.Count(); ++i)
    if (auto* block = dynamic_cast<TDataObject*>(FDocument.GetChild(i))) objects.push_back(block);
  objects.push_back(Column<TPrintStratCol>());
  ASSERT_GE(objects.size(), 4u);
  int n = 0;
  for (TDataObject* object : objects) {
    SCOPED_TRACE(KindName(object->GetKind()).toStdString());
    const QString file = Path(QStringLiteral("object%1.kno").arg(++n));
    ASSERT_EQ(object->SaveObjectToPath(file), S_OK);
    QString error;
    const std::unique_ptr<TPrintObjectList> loaded = LoadObjectFile(file, &error);
    ASSERT_TRUE(loaded) << error.toStdString();
    TPrintDocument shown;
    if (object->Parent() == FBody) {
      EXPECT_FALSE(PutBlockIntoDocument(&shown, loaded.get(), &error));
      EXPECT_TRUE(error.contains(QStringLiteral("not a head or a body"))) << error.toStdString();
      EXPECT_EQ(shown.Count(), 0);
      continue;
    }
    ASSERT_TRUE(PutBlockIntoDocument(&shown, loaded.get(), &error)) << error.toStdString();
    ASSERT_EQ(shown.Count(), 1);
    TPrintObject* copy = shown.GetChild(0);
    EXPECT_EQ(copy->GetKind(), object->GetKind());
    EXPECT_EQ(copy->AsObjectList()->Count(), object->Count());
    EXPECT_EQ(copy->Caption(), object->Caption());
    if (auto* body = dynamic_cast<TPassportBody*>(copy)) {
      EXPECT_DOUBLE_EQ(body->GetStartDepth(), FBody->GetStartDepth());
      EXPECT_EQ(body->GetVertScale(), FBody->GetVertScale());
    }
    DrawSmall(&shown);
    const QString saved = Path(QStringLiteral("object%1.knd").arg(n));
    ASSERT_TRUE(shown.SaveToFile(saved, &error)) << error.toStdString();
    TPrintDocument again;
    ASSERT_TRUE(again.LoadFromFile(saved, &error)) << error.toStdString();
    EXPECT_EQ(again.Count(), 1);
  }
}

// A column pasted into another sheet (another start depth, another scale)
// keeps the depths of its layers and texts, as its curves and tables keep
// theirs.
TEST_F(ObjectClipboard, AColumnPastedIntoAnotherSheetKeepsItsDepths) {
  TPrintDocument other;
  QString error;
  ASSERT_TRUE(other.LoadFromFile(QStringLiteral(KERNO_SOURCE_DIR "/resources/template/lithology_log.knt"), &error))
      << error.toStdString();
  TPassportBody* target = other.MainBody();
  ASSERT_TRUE(target);
  ASSERT_NE(target->GetVertScale(), FBody->GetVertScale());
  ASSERT_NE(target->GetStartDepth(), FBody->GetStartDepth());
  const auto depths = [](TPrintObject* column) {
    QStringList out;
    auto* deep = dynamic_cast<TPrintDeepObject*>(column);
    for (int i = 0; deep && i < deep->Count(); ++i) {
      const TPrintObject* c = deep->GetChild(i);
      out << QStringLiteral("%1-%2")
                 .arg(deep->PageToDepth(c->Top()), 0, 'f', 2)
                 .arg(deep->PageToDepth(c->Top() + c->GetHeight()), 0, 'f', 2);
    }
    return out;
  };
  for (TPrintObject* column :
       {static_cast<TPrintObject*>(Column<TPrintStratCol>()), static_cast<TPrintObject*>(Column<TPrintDesc>())}) {
    ASSERT_TRUE(column);
    SCOPED_TRACE(KindName(column->GetKind()).toStdString());
    TPrintObject* pasted = PasteObjectBytes(CopyObjectBytes(column, &error), target, &error);
    ASSERT_TRUE(pasted) << error.toStdString();
    EXPECT_EQ(depths(pasted), depths(column));
    EXPECT_DOUBLE_EQ(dynamic_cast<TPrintDeepObject*>(pasted)->DataTopDepth(),
                     dynamic_cast<TPrintDeepObject*>(column)->DataTopDepth());
  }
  // One layer, one text: each keeps the depths it spans, its height scaled.
  auto* layers = Column<TPrintStratCol>();
  auto* texts = Column<TPrintDesc>();
  ASSERT_TRUE(layers && layers->Count() > 1 && texts && texts->Count() > 1);
  const auto span = [](TPrintObject* child) {
    auto* list = dynamic_cast<TPrintDeepObject*>(child->Parent());
    return QStringLiteral("%1-%2")
        .arg(list->PageToDepth(child->Top()), 0, 'f', 2)
        .arg(list->PageToDepth(child->Top() + child->GetHeight()), 0, 'f', 2);
  };
  for (TPrintObject* entry : {layers->GetChild(1), texts->GetChild(1)}) {
    TPrintObject* into = nullptr;
    for (int i = 0; i < target->Count() && !into; ++i)
      if (target->GetChild(i)->GetKind() == entry->Parent()->GetKind()) into = target->GetChild(i);
    ASSERT_TRUE(into);
    SCOPED_TRACE(KindName(entry->GetKind()).toStdString());
    TPrintObject* pasted = PasteObjectBytes(CopyObjectBytes(entry, &error), into, &error);
    ASSERT_TRUE(pasted) << error.toStdString();
    EXPECT_EQ(pasted->Parent(), into);
    EXPECT_EQ(span(pasted), span(entry));
  }
}
