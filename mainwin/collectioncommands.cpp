// Connections of the category list, marking, search and maintenance commands.
#include "form1.h"

void TForm1::connectCollectionCommands() {}
