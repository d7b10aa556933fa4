#pragma once
// What the manager needs of table-of-contents nodes (CTableContent, built with the table of contents):
// making a root from its instance, writing or reading it, and freeing it. The bodies live with that
// class; until it exists no root is made.
class CFolivox;
class CTableContent;
class CzorInstance;

// A new node of manager bound to instance and read with its subtree, or null.
CTableContent* ReadTableContentRoot(CFolivox* manager, CzorInstance* instance);
void UpdateTableContent(CTableContent* node, bool write);
void DeleteTableContent(CTableContent* node);
