#include "pages.h"

// Stand-ins until the pages are built: an interactive installation ends as if the user had declined, which
// touches nothing on disk. The silent installation never calls them.
bool PageAgreement() {
    return false;
}
bool PageMain() {
    return false;
}
