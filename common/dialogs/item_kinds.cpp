// The table of item kinds: the dialog machinery finds everything kind-specific through it.
//
// A kind whose file does not exist yet stays a null entry, so that everything links meanwhile. To add
// one, define its `const ItemBehaviour Item<Kind>Behaviour` in its own item_<kind>.cpp (declared in
// item_kinds.h) and replace the null entry below with its address. Kinds the plug-in does not offer
// stay inside the #ifndef NIMBO_PLUGIN part.
#include "dialogs/item_kinds.h"

namespace {

const ItemBehaviour* const kKinds[DlgKindCount] = {
    &ItemTextBehaviour, // 0 text
    &ItemLineBehaviour, // 1 horizontal line
#ifndef NIMBO_PLUGIN
    &ItemVLineBehaviour,  // 2 vertical line
    nullptr,              // 3 unused
    &ItemToggleBehaviour, // 4 toggle
#else
    nullptr,
    nullptr,
    nullptr,
#endif
    &ItemButtonBehaviour, // 5 push button
#ifndef NIMBO_PLUGIN
    &ItemColorBehaviour, // 6 colour
#else
    nullptr,
#endif
    &ItemStringBehaviour, // 7 string field
#ifndef NIMBO_PLUGIN
    &ItemIntBehaviour,      // 8 int field
    &ItemUIntBehaviour,     // 9 unsigned field
    &ItemInt64Behaviour,    // 10 64-bit field
    &ItemDoubleBehaviour,   // 11 double field
    &ItemChoiceBehaviour,   // 12 choice
    &ItemListBehaviour,     // 13 list
    nullptr,                // 14 unused
    &ItemSliderBehaviour,   // 15 slider
    &ItemSwatchBehaviour,   // 16 swatch
    &ItemCustomBehaviour,   // 17 custom
    &ItemRichTextBehaviour, // 18 rich text
    &ItemBitmapBehaviour,   // 19 bitmap
    &ItemToolbarBehaviour,  // 20 tool bar
    &ItemRowBoxBehaviour,   // 21 row box
    &ItemTableBehaviour,    // 22 table
#else
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
#endif
    &ItemTextBoxBehaviour, // 23 text box
};

} // namespace

const ItemBehaviour* ItemBehaviourOf(int kind) {
    if (kind < 0 || kind >= DlgKindCount) return nullptr;
    return kKinds[kind];
}
