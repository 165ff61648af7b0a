// Registers the document's own kinds with the kind registry: the document
// (275), the body (274), the guide (280) and the spare block store (283).
// Heads (273) and the columns come with their own subsystems.
#pragma once

void RegisterDocumentKinds();
