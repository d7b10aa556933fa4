#pragma once
// The small pictures of the stock icon strips, drawn in code on a 16 x 16 design grid with the
// sixteen colours only and without smoothing, so that they reduce to 16 colours exactly.
#include <QPainter>
#include <QRect>

namespace zor::art {

enum class Pictogram {
    Ok, Cancel, Add, Remove, Help, Info, Warning, Stop,
    Up, Down, Left, Right,
    Folder, Save, NewDocument, Print, Find, Preview, Refresh,
    Cut, Copy, Paste, Trash, Edit, Execute,
    Key, User, Users, Lock, Unlock, Database, Filter,
    Table, InsertRow, DeleteRow, InsertColumn, DeleteColumn, SortAscending, SortDescending,
    Sum, Group, Undo, Redo, Link, Picture, Text, Line, Calendar, Clock, Star, Flag, Home,
    Merge, Tree, Export, Properties,
};

// Draws the pictogram into the cell: the design grid is scaled to the cell's width and
// clipped to the cell (16 x 15 cells lose the grid's empty last row).
void DrawPictogram(QPainter& painter, Pictogram pictogram, const QRect& cell);

}  // namespace zor::art
