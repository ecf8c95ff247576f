// The content of a new, empty R2000 drawing.
#include "cad/drawing.h"

namespace ostrel::cad {

namespace {

Object MakeDictionary(Drawing& d, Handle owner, bool hardOwner = false) {
    Object o;
    o.type = ObjectType::Dictionary;
    o.handle = d.NewHandle();
    o.owner = owner;
    o.reactors.push_back(owner);
    o.hardOwner = hardOwner;
    return o;
}

std::uint32_t MakeSpace(Drawing& d, const char* blockName, const char* layoutName, std::int16_t tab,
                        Handle layoutDict) {
    BlockRecord b;
    b.name = blockName;
    b.handle = d.NewHandle();
    auto bi = d.AddBlock(b);
    d.EnsureBlockEnds(bi);

    Object lo;
    lo.type = ObjectType::Layout;
    lo.handle = d.NewHandle();
    lo.owner = layoutDict;
    lo.reactors.push_back(layoutDict);
    lo.layout = std::make_shared<LayoutData>();
    lo.layout->name = layoutName;
    lo.layout->tabOrder = tab;
    lo.layout->blockRecord = d.blocks[bi].handle;
    if (tab == 0) {
        // Model layout: no paper, limits follow the drawing.
        lo.layout->layoutFlags = 1;
        lo.layout->plotFlags = 1712;
        lo.layout->limMax[0] = 12;
        lo.layout->limMax[1] = 9;
    }
    d.blocks[bi].layout = lo.handle;
    d.AddObject(std::move(lo));
    return bi;
}

} // namespace

std::unique_ptr<Drawing> NewDrawing() {
    auto dp = std::make_unique<Drawing>();
    Drawing& d = *dp;
    d.RebuildIndexes();  // reserves the fixed control and root dictionary handles

    // Linetypes: ByBlock, ByLayer, Continuous.
    for (const char* name : {"ByBlock", "ByLayer", "Continuous"}) {
        Linetype lt;
        lt.name = name;
        lt.handle = d.NewHandle();
        if (std::string_view(name) == "Continuous") lt.description = "Solid line";
        d.AddLinetype(lt);
    }

    // Named object dictionary and its standard entries.
    Object root;
    root.type = ObjectType::Dictionary;
    root.handle = d.rootDictionary;
    root.owner = 0;
    d.AddObject(root);

    Object group = MakeDictionary(d, d.rootDictionary);
    Object layoutDict = MakeDictionary(d, d.rootDictionary);
    Object mlineDict = MakeDictionary(d, d.rootDictionary);
    Object plotSettings = MakeDictionary(d, d.rootDictionary);

    Object pstyles;
    pstyles.type = ObjectType::DictionaryWithDefault;
    pstyles.handle = d.NewHandle();
    pstyles.owner = d.rootDictionary;
    pstyles.reactors.push_back(d.rootDictionary);

    Object normal;
    normal.type = ObjectType::Placeholder;
    normal.handle = d.NewHandle();
    normal.owner = pstyles.handle;
    normal.reactors.push_back(pstyles.handle);
    pstyles.entries.push_back({"Normal", normal.handle});
    pstyles.defaultEntry = normal.handle;

    Object mlstyle;
    mlstyle.type = ObjectType::MLineStyle;
    mlstyle.handle = d.NewHandle();
    mlstyle.owner = mlineDict.handle;
    mlstyle.reactors.push_back(mlineDict.handle);
    mlstyle.name = "Standard";
    mlineDict.entries.push_back({"Standard", mlstyle.handle});

    auto& r = d.objects.back();
    r.entries = {{"ACAD_GROUP", group.handle},
                 {"ACAD_LAYOUT", layoutDict.handle},
                 {"ACAD_MLINESTYLE", mlineDict.handle},
                 {"ACAD_PLOTSETTINGS", plotSettings.handle},
                 {"ACAD_PLOTSTYLENAME", pstyles.handle}};
    Handle layoutHandle = layoutDict.handle;
    for (auto* o : {&group, &layoutDict, &mlineDict, &plotSettings, &pstyles, &normal, &mlstyle})
        d.AddObject(std::move(*o));

    // Layer "0", its plot style "Normal".
    Layer zero;
    zero.name = "0";
    zero.handle = d.NewHandle();
    zero.colour = 7;
    zero.plotStyle = d.objects[d.FindObject(d.objects[d.FindObject(d.rootDictionary)].entries[4].target)].defaultEntry;
    d.AddLayer(zero);

    TextStyle standard;
    standard.name = "Standard";
    standard.handle = d.NewHandle();
    d.AddStyle(standard);

    d.appids.push_back({"ACAD", d.NewHandle(), 0});
    d.dimstyles.push_back({"Standard", d.NewHandle(), 0});
    VportRecord active;
    active.handle = d.NewHandle();
    active.viewCenter = {210, 148.5, 0};
    active.viewHeight = 297;
    d.vports.push_back(active);

    auto model = MakeSpace(d, "*Model_Space", "Model", 0, layoutHandle);
    auto paper = MakeSpace(d, "*Paper_Space", "Layout1", 1, layoutHandle);
    auto* ld = d.ObjectByHandle(layoutHandle);
    ld->entries.push_back({"Layout1", d.blocks[paper].layout});
    ld->entries.push_back({"Model", d.blocks[model].layout});
    return dp;
}

} // namespace ostrel::cad
