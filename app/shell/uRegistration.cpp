#include "uRegistration.h"

#include "uDepthLineDialogs.h"
#include "uDepthLineKinds.h"
#include "uDocumentDialogs.h"
#include "uDocumentKinds.h"
#include "uFConfirmListIndex.h"
#include "uFDiagramm.h"
#include "uFDiagrams.h"
#include "uFRullers.h"
#include "uModelDialogs.h"
#include "uPictureDialogs.h"
#include "uPictureKinds.h"
#include "uPrintDeepScale.h"
#include "uPrintDiagrammBase.h"
#include "uPrintHeader.h"
#include "uPrintStratCol.h"
#include "uPrintText.h"
#include "uPrintTextDialog.h"
#include "uStratColDialogs.h"
#include "uTableKinds.h"

void RegisterKinds() {
  RegisterTextKinds();
  RegisterDepthScaleKinds();
  RegisterHeadKinds();
  RegisterDocumentKinds();
  RegisterCurvePlotKinds();
  RegisterTableKinds();
  RegisterStratColKinds();
  RegisterPictureKinds();
  RegisterDepthLineKinds();
}

void RegisterDialogs() {
  RegisterModelDialogs();
  RegisterTextDialogs();
  RegisterTableDialogs();
  RegisterDepthScaleDialogs();
  RegisterDocumentDialogs();
  RegisterCurvePlotDialogs();
  RegisterCurveColumnDialogs();
  RegisterStratColDialogs();
  RegisterPictureDialogs();
  RegisterDepthLineDialogs();
}
