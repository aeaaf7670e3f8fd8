// Assembles the program's form definition: builds the window, its thirteen
// components and their properties from the assets and the layout, and
// writes them with the project's own writer.
//   skr_formbuild <assets dir> <output file>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/Image.h"
#include "app/Timer.h"
#include "components/BmpList.h"
#include "components/WavePlay.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "formdef/FormWriter.h"
#include "game/Unit1.h"
#include "gfx/Icon.h"
#include "support/Files.h"

namespace {

using namespace skr;

using skr::test::ReadFile;

void Build(TForm1& form, const std::string& assets) {
    form.SetName("Form1");
    form.SetLeft(192);
    form.SetTop(107);
    form.SetBorderIcons(1 << biSystemMenu | 1 << biMinimize);
    form.SetBorderStyle(bsSingle);
    form.SetCaption("Skrundle ver.1.2.0");
    form.SetClientHeight(289);
    form.SetClientWidth(385);
    form.SetColor(clBlack);
    form.Font()->SetCharset(128);  // SHIFTJIS_CHARSET
    form.Font()->SetColor(clWindowText);
    form.Font()->SetHeight(-12);
    form.Font()->SetName("\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");  // MS P-Gothic, full width
    form.Font()->SetStyle(0);
    {
        TMemoryStream icon(ReadFile(assets + "/Skrundle.ico"));
        form.Icon()->ReadData(icon);
    }
    form.SetOldCreateOrder(false);
    form.SetScaled(false);
    BindEventByName(form, "OnCreate", form, "FormCreate");
    BindEventByName(form, "OnMouseDown", form, "FormMouseDown");
    BindEventByName(form, "OnPaint", form, "FormPaint");
    form.SetTextHeight(12);

    const char* pictures[] = {"Iperfect", "Inobody", "Iwhy", "Iwinner", "Igoback"};
    for (const char* name : pictures) {
        auto* image = new TImage(&form);
        image->SetParentComponent(&form);
        image->SetName(name);
        if (std::string(name) == "Inobody") image->SetTag(8);
        image->SetBounds(0, 0, 385, 289);
        const std::vector<uint8_t> jpeg = ReadFile(assets + "/" + name + ".jpg");
        TMemoryStream payload;
        const uint8_t kind[] = {10, 'T', 'J', 'P', 'E', 'G', 'I', 'm', 'a', 'g', 'e'};
        payload.WriteBuffer(kind, sizeof kind);
        payload.WriteU32(static_cast<uint32_t>(jpeg.size()));
        payload.WriteBuffer(jpeg.data(), jpeg.size());
        payload.SetPosition(0);
        image->Picture()->ReadData(payload);
        image->SetVisible(false);
        BindEventByName(*image, "OnClick", form, std::string(name) + "Click");
    }

    struct Strip { const char* name; int frames; int16_t left, top; };
    for (const Strip& s : {Strip{"BitmapBlorp", 25, 40, 24}, Strip{"BitmapClick", 3, 40, 64}, Strip{"BitmapNumber", 11, 40, 144}}) {
        auto* list = new TBitmapList(&form);
        list->SetName(s.name);
        TMemoryStream file(ReadFile(assets + "/" + s.name + ".bmp"));
        list->Bitmap()->LoadFromStream(file);
        list->SetNumImages(s.frames);
        list->SetTransparent(false);
        list->SetDesignPos(s.left, s.top);
    }

    auto* timer = new TTimer(&form);
    timer->SetName("Timer1");
    timer->SetInterval(250);
    BindEventByName(*timer, "OnTimer", form, "Timer1Timer");
    timer->SetDesignPos(40, 184);

    struct Clip { const char* name; int16_t top; };
    for (const Clip& c : {Clip{"WaveStart", 24}, Clip{"WaveBucha", 64}, Clip{"WaveBofu", 104}, Clip{"WaveEnd", 144}}) {
        auto* player = new TWavePlayer(&form);
        player->SetName(c.name);
        TMemoryStream clip(ReadFile(assets + "/" + c.name + ".wav"));
        player->Wave()->LoadFromStream(clip);
        player->SetDesignPos(80, c.top);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <assets dir> <output file>\n", argv[0]);
        return 2;
    }
    try {
        RegisterProgramClasses();
        TForm1 form(nullptr);
        Build(form, argv[1]);
        const std::vector<uint8_t> stream = WriteRootComponent(form);
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
        if (!out) throw Exception(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
