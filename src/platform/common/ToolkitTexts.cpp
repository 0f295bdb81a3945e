// The texts the backends show of their own accord, as the layer above handed them down.
#include "platform/Gui.h"

namespace {

ToolkitTexts& Texts() {
    static ToolkitTexts texts;
    return texts;
}

}  // namespace

void SetToolkitTexts(const ToolkitTexts& texts) { Texts() = texts; }

const ToolkitTexts& ToolkitText() { return Texts(); }
