// Registers the picture kinds with the kind registry: the image (284) and
// the vector graphic (1).
#pragma once

void RegisterPictureKinds();
