// The materials and visual styles a current drawing of the leading program
// holds, with the values its files of each release give them (LibreDWG's
// example drawings, one per release).
#include <charconv>
#include <string_view>

#include "cad/render_styles.h"

namespace ostrel::cad {

namespace {

// One visual style: its name, then its values as R2013 and later hold them
// (type, lighting model, internal flag, then each property as value/flag),
// then as files before R2010 hold them (type, internal flag, then the
// properties in the order those files keep them). Colours are colour values
// in hexadecimal (method byte first); a file of R2000 keeps an index instead.
struct StyleRow {
    const char* name;
    const char* modern;
    const char* old;
};
constexpr StyleRow kStyles[] = {
    {"Flat",
     "0 2 1 2/1 1/1 1/1 2/1 0.6/1 30/1 #C2FFFFFF/1 0/1 0/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 8/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 13/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "0 1 2 1 1 -0.6 30 #C2FFFFFF 2 0 0 #C3000007 #C8000000 1 1 8 #C3000007 1 1 6 2 #C3000007 5 0 0 0 0 1 13 0 0"},
    {"FlatWithEdges",
     "1 2 1 2/1 1/1 1/1 2/1 0.6/1 30/1 #C2FFFFFF/1 1/1 0/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 0/1 #C8000000/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 13/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "1 1 2 1 1 -0.6 30 #C2FFFFFF 2 1 0 #C3000007 #C8000000 1 1 0 #C8000000 1 1 6 2 #C3000007 5 0 0 0 0 1 13 0 0"},
    {"Gouraud",
     "2 2 1 2/1 2/1 1/1 2/1 0.6/1 30/1 #C2FFFFFF/1 0/1 0/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 0/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 13/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "2 1 2 2 1 -0.6 30 #C2FFFFFF 2 0 0 #C3000007 #C8000000 1 1 0 #C3000007 1 1 6 2 #C3000007 5 0 0 0 0 1 13 0 0"},
    {"GouraudWithEdges",
     "3 2 1 2/1 2/1 1/1 2/1 0.6/1 30/1 #C2FFFFFF/1 1/1 0/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 0/1 #C8000000/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 13/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "3 1 2 2 1 -0.6 30 #C2FFFFFF 2 1 0 #C3000007 #C8000000 1 1 0 #C8000000 1 1 6 2 #C3000007 5 0 0 0 0 1 13 0 0"},
    {"Basic",
     "7 2 1 1/1 0/1 1/1 0/1 0.6/1 30/1 #C2FFFFFF/1 0/1 4/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 8/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 1/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "7 1 1 0 1 -0.6 -30 #C2FFFFFF 0 0 4 #C3000007 #C8000000 1 1 8 #C3000007 1 1 6 2 #C3000007 5 0 0 0 0 1 1 0 0"},
    {"2dWireframe",
     "4 2 0 0/1 2/1 0/1 0/1 0.6/1 30/1 #C2FFFFFF/1 1/1 4/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 0/1 #C8000000/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 1/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "4 0 0 2 0 -0.6 -30 #C2FFFFFF 0 1 4 #C3000007 #C8000000 1 1 0 #C8000000 1 1 6 2 #C3000007 5 0 0 0 0 1 1 0 0"},
    {"Wireframe",
     "5 2 0 0/1 2/1 0/1 0/1 0.6/1 30/1 #C2FFFFFF/1 1/1 4/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 0/1 #C8000000/1 1/1 1/1 6/1 2/1 #C3000007/1 3/1 0/1 0/1 0/1 1/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "5 0 0 2 0 -0.6 -30 #C2FFFFFF 0 1 4 #C3000007 #C8000000 1 1 0 #C8000000 1 1 6 2 #C3000007 3 0 0 0 0 1 1 0 0"},
    {"Hidden",
     "6 2 0 1/1 2/1 2/1 0/1 0.6/1 30/1 #C2FFFFFF/1 2/1 2/1 #C3000007/1 #C8000000/1 2/1 1/1 40/1 0/1 #C8000000/1 1/1 1/1 6/1 2/1 #C3000007/1 3/1 0/1 0/1 0/1 1/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "6 0 1 2 2 -0.6 -30 #C2FFFFFF 0 2 2 #C3000007 #C8000000 2 40 0 #C8000000 1 1 6 2 #C3000007 3 0 0 0 0 1 1 0 0"},
{"Conceptual",
     "9 2 0 3/1 2/1 0/1 0/1 0.6/1 30/1 #C2FFFFFF/1 2/1 2/1 #C3000007/1 #C8000000/1 1/1 1/1 179/1 8/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 3/1 0/1 0/1 0/1 1/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "9 0 3 2 0 -0.6 -30 #C2FFFFFF 0 2 2 #C3000007 #C8000000 1 179 8 #C3000007 1 1 6 2 #C3000007 3 0 0 0 0 1 1 0 0"},
    {"Realistic",
     "8 2 0 2/1 3/1 0/1 2/1 0.6/1 30/1 #C2FFFFFF/1 0/1 0/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 8/1 #C8000000/1 1/1 1/1 6/1 2/1 #C3000007/1 3/1 0/1 0/1 0/1 13/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "8 0 2 2 0 -0.6 30 #C2FFFFFF 2 0 0 #C3000007 #C8000000 1 1 8 #C8000000 1 1 6 2 #C3000007 3 0 0 0 0 1 13 0 0"},
    {"Dim",
     "11 2 1 2/1 2/1 0/1 0/1 0.6/1 30/1 #C2FFFFFF/1 1/1 4/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 8/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 1/1 -50/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "11 1 2 2 0 -0.6 -30 #C2FFFFFF 0 1 4 #C3000007 #C8000000 1 1 8 #C3000007 1 1 6 2 #C3000007 5 0 0 0 0 1 1 -50 0"},
    {"Brighten",
     "12 2 1 2/1 2/1 0/1 0/1 0.6/1 30/1 #C2FFFFFF/1 1/1 4/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 8/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 1/1 50/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "12 1 2 2 0 -0.6 -30 #C2FFFFFF 0 1 4 #C3000007 #C8000000 1 1 8 #C3000007 1 1 6 2 #C3000007 5 0 0 0 0 1 1 50 0"},
    {"Thicken",
     "13 2 1 2/1 2/1 0/1 0/1 0.6/1 30/1 #C2FFFFFF/1 1/1 4/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 12/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 1/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "13 1 2 2 0 -0.6 -30 #C2FFFFFF 0 1 4 #C3000007 #C8000000 1 1 12 #C3000007 1 1 6 2 #C3000007 5 0 0 0 0 1 1 0 0"},
    {"Linepattern",
     "14 2 1 2/1 2/1 0/1 0/1 0.6/1 30/1 #C2FFFFFF/1 1/1 4/1 #C3000007/1 #C8000000/1 7/1 7/1 1/1 8/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 1/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "14 1 2 2 0 -0.6 -30 #C2FFFFFF 0 1 4 #C3000007 #C8000000 7 1 8 #C3000007 1 1 6 2 #C3000007 5 0 0 0 0 7 1 0 0"},
    {"Facepattern",
     "15 2 1 2/1 2/1 0/1 0/1 0.6/1 30/1 #C2FFFFFF/1 1/1 4/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 8/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 1/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "15 1 2 2 0 -0.6 -30 #C2FFFFFF 0 1 4 #C3000007 #C8000000 1 1 8 #C3000007 1 1 6 2 #C3000007 5 0 0 0 0 1 1 0 0"},
    {"ColorChange",
     "16 2 1 2/1 2/1 3/1 0/1 0.6/1 30/1 #C2808080/1 1/1 4/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 8/1 #C2808080/1 1/1 1/1 6/1 2/1 #C3000007/1 5/1 0/1 0/1 0/1 1/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "16 1 2 2 3 -0.6 -30 #C2808080 0 1 4 #C3000007 #C8000000 1 1 8 #C2808080 1 1 6 2 #C3000007 5 0 0 0 0 1 1 0 0"},
    {"Shades of Gray",
     "23 2 0 2/1 2/1 3/1 0/1 0.6/1 30/1 #C2FFFFFF/1 2/1 2/1 #C3000007/1 #C3000007/1 1/1 1/1 40/1 8/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 3/1 0/1 0/1 0/1 1/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "23 0 2 2 3 -0.6 -30 #C2FFFFFF 0 2 2 #C3000007 #C3000007 1 40 8 #C3000007 1 1 6 2 #C3000007 3 0 0 0 0 1 1 0 0"},
    {"Sketchy",
     "24 2 0 1/1 2/1 2/1 0/1 0.6/1 30/1 #C2FFFFFF/1 2/1 2/1 #C3000007/1 #C3000007/1 1/1 1/1 40/1 11/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 6/1 0/1 0/1 0/1 1/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "24 0 1 2 2 -0.6 -30 #C2FFFFFF 0 2 2 #C3000007 #C3000007 1 40 11 #C3000007 1 1 6 2 #C3000007 6 0 0 0 0 1 1 0 0"},
    {"X-Ray",
     "25 2 0 2/1 2/1 1/1 1/1 0.5/1 30/1 #C2FFFFFF/1 1/1 0/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 8/1 #C3000007/1 1/1 1/1 6/1 2/1 #C3000007/1 3/1 0/1 0/1 0/1 13/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "25 0 2 2 1 0.5 -30 #C2FFFFFF 1 1 0 #C3000007 #C8000000 1 1 8 #C3000007 1 1 6 2 #C3000007 3 0 0 0 0 1 13 0 0"},
    {"Shaded with edges",
     "26 2 0 2/1 2/1 1/1 2/1 0.6/1 30/1 #C2FFFFFF/1 1/1 2/1 #C3000007/1 #C8000000/1 2/1 1/1 1/1 8/1 #C8000000/1 1/1 1/1 6/1 2/1 #C3000007/1 3/1 0/1 0/1 0/1 5/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "26 0 2 2 1 -0.6 30 #C2FFFFFF 2 1 2 #C3000007 #C8000000 2 1 8 #C8000000 1 1 6 2 #C3000007 3 0 0 0 0 1 5 0 0"},
    {"Shaded",
     "27 2 0 2/1 2/1 1/1 2/1 0.6/1 30/1 #C2FFFFFF/1 0/1 4/1 #C3000007/1 #C8000000/1 1/1 1/1 1/1 8/1 #C8000000/1 1/1 1/1 6/1 2/1 #C2787878/1 3/1 0/1 0/1 0/1 5/1 0/1 0/1 0/1 1/1 1/1 0/1 0/1 0/1 0/1 0/1 0/1 50/1 0/1 1/1 0/1 #C2000000/1 50/1 3/1 #C20000FF/1 0/1 50/1 50/1 50/1 0/1 50/1 #C0000000/0 1/0 2/1 strokes_ogs.tif/1 0/1 1/1 1/1",
     "27 0 2 2 1 -0.6 30 #C2FFFFFF 2 0 4 #C3000007 #C8000000 1 1 8 #C8000000 1 1 6 2 #C2787878 3 0 0 0 0 1 5 0 0"},
    {"JitterOff",
     "20 2 1 2/0 2/0 0/0 0/0 0.6/0 30/0 #C2FFFFFF/0 1/0 4/0 #C3000007/0 #C8000000/0 1/0 1/0 1/0 10/2 #C3000007/0 1/0 1/0 6/0 2/0 #C3000007/0 5/0 0/0 0/0 0/0 1/0 0/0 0/0 0/0 1/0 1/0 0/0 0/0 0/0 0/0 0/0 0/0 50/0 0/0 1/0 0/0 #C2000000/0 50/0 3/0 #C20000FF/0 0/0 50/0 50/0 50/0 0/0 50/0 #C0000000/0 1/0 2/0 strokes_ogs.tif/0 0/0 1/0 1/0",
     "20 1 2 2 0 -0.6 -30 #C2FFFFFF 0 1 4 #C3000007 #C8000000 1 1 10 #C3000007 1 1 6 2 #C3000007 5 0 0 0 0 1 1 0 0"},
    {"OverhangOff",
     "21 2 1 2/0 2/0 0/0 0/0 0.6/0 30/0 #C2FFFFFF/0 1/0 4/0 #C3000007/0 #C8000000/0 1/0 1/0 1/0 9/2 #C3000007/0 1/0 1/0 6/0 2/0 #C3000007/0 5/0 0/0 0/0 0/0 1/0 0/0 0/0 0/0 1/0 1/0 0/0 0/0 0/0 0/0 0/0 0/0 50/0 0/0 1/0 0/0 #C2000000/0 50/0 3/0 #C20000FF/0 0/0 50/0 50/0 50/0 0/0 50/0 #C0000000/0 1/0 2/0 strokes_ogs.tif/0 0/0 1/0 1/0",
     "21 1 2 2 0 -0.6 -30 #C2FFFFFF 0 1 4 #C3000007 #C8000000 1 1 9 #C3000007 1 1 6 2 #C3000007 5 0 0 0 0 1 1 0 0"},
    {"EdgeColorOff",
     "22 2 1 2/0 2/0 0/0 0/0 0.6/0 30/0 #C2FFFFFF/0 1/0 4/0 #C3000007/0 #C8000000/0 1/0 1/0 1/0 8/2 #C3000007/0 1/0 1/0 6/0 2/0 #C3000007/0 5/0 0/0 0/0 0/0 1/0 0/0 0/0 0/0 1/0 1/0 0/0 0/0 0/0 0/0 0/0 0/0 50/0 0/0 1/0 0/0 #C2000000/0 50/0 3/0 #C20000FF/0 0/0 50/0 50/0 50/0 0/0 50/0 #C0000000/0 1/0 2/0 strokes_ogs.tif/0 0/0 1/0 1/0",
     "22 1 2 2 0 -0.6 -30 #C2FFFFFF 0 1 4 #C3000007 #C8000000 1 1 8 #C3000007 1 1 6 2 #C3000007 5 0 0 0 0 1 1 0 0"},
};

// The properties in the order files before R2010 keep them (slot numbers).
constexpr std::uint8_t kOldOrder[] = {0,  1,  2,  4,  5,  6,  3,  7,  8,  9,  10, 11, 13, 14, 15,
                                      16, 17, 18, 19, 20, 21, 22, 23, 24, kVsEdgeStyleApply, 12, 25, 26, 27};

class Tokens {
public:
    explicit Tokens(std::string_view s) : s_(s) {}
    std::string_view Next() {
        while (!s_.empty() && s_.front() == ' ') s_.remove_prefix(1);
        auto end = s_.find_first_of(" /");
        std::string_view t = s_.substr(0, end);
        s_.remove_prefix(end == std::string_view::npos ? s_.size() : end);
        if (!s_.empty() && s_.front() == '/') s_.remove_prefix(1);
        return t;
    }

private:
    std::string_view s_;
};

double Number(std::string_view t) {
    double v = 0;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

// A value: "#C3000007" a colour value, a number, or a text (the strokes image).
void SetValue(VisualStyleValue& v, std::string_view t) {
    if (!t.empty() && t.front() == '#') {
        std::uint32_t rgb = 0;
        std::from_chars(t.data() + 1, t.data() + t.size(), rgb, 16);
        v.rgb = static_cast<std::int32_t>(rgb);
    } else if (!t.empty() && (t.front() == '-' || t.front() == '.' || (t.front() >= '0' && t.front() <= '9'))) {
        v.number = Number(t);
    } else {
        v.text = std::string(t);
    }
}

VisualStyleData Modern(const StyleRow& row, bool r2010) {
    VisualStyleData v;
    v.slots[kVsDescription].text = row.name;
    Tokens t(row.modern);
    for (std::uint8_t slot : {std::uint8_t(kVsType), std::uint8_t(kVsLightingModel), std::uint8_t(kVsInternal)})
        v.slots[slot].number = Number(t.Next());
    for (std::size_t p = 0; p < 58; ++p) {
        std::string_view value = t.Next(), flag = t.Next();
        if (r2010 && p >= 28) continue;
        SetValue(v.slots[p], value);
        v.slots[p].flag = static_cast<std::int16_t>(Number(flag));
    }
    return v;
}

VisualStyleData Old(const StyleRow& row) {
    VisualStyleData v;
    v.slots[kVsDescription].text = row.name;
    Tokens t(row.old);
    v.slots[kVsType].number = Number(t.Next());
    v.slots[kVsInternal].number = Number(t.Next());
    for (std::uint8_t slot : kOldOrder) SetValue(v.slots[slot], t.Next());
    return v;
}

std::vector<VisualStyleData> Styles(Release r) {
    std::vector<VisualStyleData> out;
    for (const auto& row : kStyles) {
        VisualStyleData v = r >= Release::R2010 ? Modern(row, r < Release::R2013) : Old(row);
        // The R2018 files light the realistic style's faces one step less.
        if (r >= Release::R2018 && v.Name() == "Realistic") v.slots[1].number = 2;
        v.source = r;
        v.standard = true;
        out.push_back(std::move(v));
    }
    return out;
}

} // namespace

const std::vector<VisualStyleData>& StandardVisualStyles(Release r) {
    static const std::vector<VisualStyleData> old = Styles(Release::R2000), r2007 = Styles(Release::R2007),
                                              r2010 = Styles(Release::R2010), r2013 = Styles(Release::R2013),
                                              r2018 = Styles(Release::R2018);
    return r >= Release::R2018 ? r2018 : r >= Release::R2013 ? r2013 : r >= Release::R2010 ? r2010
                                                                 : r >= Release::R2007 ? r2007 : old;
}

const VisualStyleData* StandardVisualStyle(std::string_view name, Release r) {
    for (const auto& v : StandardVisualStyles(r))
        if (v.Name() == name) return &v;
    return nullptr;
}

// ByLayer, ByBlock and Global: the same plain material under three names,
// each map taken from the scene at a scale of 1/1219.2 (four feet).
const std::vector<MaterialData>& StandardMaterials() {
    static const std::vector<MaterialData> materials = [] {
        MaterialMap map;
        map.projection = 2;
        map.source = 0;
        map.matrix[0] = map.matrix[5] = 0.00082020997375328094;
        MaterialData m;
        m.diffuseMap = m.specularMap = m.reflectionMap = m.opacityMap = m.bumpMap = m.refractionMap = map;
        m.channels = 127;
        std::vector<MaterialData> out;
        for (const char* name : {"ByLayer", "ByBlock", "Global"}) {
            m.name = name;
            out.push_back(m);
        }
        return out;
    }();
    return materials;
}

namespace {

Handle NamedEntry(const Drawing& d, std::string_view dictionary, std::string_view name, ObjectType type) {
    const Object* root = d.ObjectByHandle(d.rootDictionary);
    if (!root) return 0;
    for (const auto& r : root->entries) {
        const Object* dict = r.name == dictionary ? d.ObjectByHandle(r.target) : nullptr;
        if (!dict) continue;
        for (const auto& e : dict->entries) {
            const Object* o = e.name == name ? d.ObjectByHandle(e.target) : nullptr;
            if (o && o->type == type) return e.target;
        }
    }
    return 0;
}

} // namespace

Handle StandardMaterialHandle(const Drawing& d, std::string_view name) {
    return NamedEntry(d, "ACAD_MATERIAL", name, ObjectType::Material);
}

Handle StandardVisualStyleHandle(const Drawing& d, std::string_view name) {
    return NamedEntry(d, "ACAD_VISUALSTYLE", name, ObjectType::VisualStyle);
}

} // namespace ostrel::cad
