// The wizard pages the interactive installation shows before it touches the disk.
#pragma once

// The agreement page: true when it ended with OK and the agreement was accepted.
bool PageAgreement();

// The main page for the installation kind: true when it ended with OK (folders without trailing backslashes).
bool PageMain();
