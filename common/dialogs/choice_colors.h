// The colour table that colour choices draw their swatches from. Hosts fill it with their own colour
// table before they show a colour choice; until then every entry is black.
#pragma once

enum { ChoiceColorCount = 256 };

// The colour of entry index as red, green, blue; black for an index outside the table.
void ChoiceColorOf(int index, unsigned char rgb[3]);
