#include "cad/dwg/dwg_dimension_defaults.h"

namespace ostrel::cad::dwg {

namespace {

// DIMPOST to DIMALTRND: texts, sizes and the first flags.
void SizesAndFlags(BitWriter& w, bool r2007) {
    w.TV("");                                   // DIMPOST
    w.TV("");                                   // DIMAPOST
    w.BD(1.0);                                  // DIMSCALE
    w.BD(2.5);                                  // DIMASZ
    w.BD(0.625);                                // DIMEXO
    w.BD(3.75);                                 // DIMDLI
    w.BD(1.25);                                 // DIMEXE
    w.BD(0.0);                                  // DIMRND
    w.BD(0.0);                                  // DIMDLE
    w.BD(0.0);                                  // DIMTP
    w.BD(0.0);                                  // DIMTM
    if (r2007) {
        w.BD(1.0);                              // DIMFXL
        w.BD(0.7853981633974483);               // DIMJOGANG
        w.BS(0);                                // DIMTFILL
        w.CMC(0);                               // DIMTFILLCLR
    }
    for (int i = 0; i < 6; ++i) w.B(false);     // DIMTOL, DIMLIM, DIMTIH, DIMTOH, DIMSE1, DIMSE2
    w.BS(1);                                    // DIMTAD
    w.BS(8);                                    // DIMZIN
    w.BS(0);                                    // DIMAZIN
    if (r2007) w.BS(0);                         // DIMARCSYM
    w.BD(2.5);                                  // DIMTXT
    w.BD(2.5);                                  // DIMCEN
    w.BD(0.0);                                  // DIMTSZ
    w.BD(0.03937007874015748);                  // DIMALTF
    w.BD(1.0);                                  // DIMLFAC
    w.BD(0.0);                                  // DIMTVP
    w.BD(1.0);                                  // DIMTFAC
    w.BD(0.625);                                // DIMGAP
    w.BD(0.0);                                  // DIMALTRND
}

// DIMALT to DIMMZS: alternate units, colours, precision and placement.
void UnitsAndPlacement(BitWriter& w, Release release) {
    const bool r2007 = release >= Release::R2007;
    w.B(false);                                 // DIMALT
    w.BS(3);                                    // DIMALTD
    w.B(true);                                  // DIMTOFL
    w.B(false);                                 // DIMSAH
    w.B(false);                                 // DIMTIX
    w.B(false);                                 // DIMSOXD
    w.CMC(0);                                   // DIMCLRD
    w.CMC(0);                                   // DIMCLRE
    w.CMC(0);                                   // DIMCLRT
    w.BS(0);                                    // DIMADEC
    w.BS(2);                                    // DIMDEC
    w.BS(2);                                    // DIMTDEC
    w.BS(2);                                    // DIMALTU
    w.BS(2);                                    // DIMALTTD
    w.BS(0);                                    // DIMAUNIT
    w.BS(0);                                    // DIMFRAC
    w.BS(2);                                    // DIMLUNIT
    w.BS(44);                                   // DIMDSEP
    w.BS(0);                                    // DIMTMOVE
    w.BS(0);                                    // DIMJUST
    w.B(false);                                 // DIMSD1
    w.B(false);                                 // DIMSD2
    w.BS(0);                                    // DIMTOLJ
    w.BS(8);                                    // DIMTZIN
    w.BS(0);                                    // DIMALTZ
    w.BS(0);                                    // DIMALTTZ
    w.B(false);                                 // DIMUPT
    w.BS(3);                                    // DIMATFIT
    if (r2007) w.B(false);                      // DIMFXLON
    if (release >= Release::R2010) {
        w.B(false);                             // DIMTXTDIRECTION
        w.BD(100.0);                            // DIMALTMZF
        w.TV("");                               // DIMALTMZS
        w.BD(100.0);                            // DIMMZF
        w.TV("");                               // DIMMZS
    }
}

} // namespace

void DimensionDefaults(BitWriter& w, Release release) {
    SizesAndFlags(w, release >= Release::R2007);
    UnitsAndPlacement(w, release);
}

} // namespace ostrel::cad::dwg
