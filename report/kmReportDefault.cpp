// The embedded default template: what a new report holds until a template
// file is loaded. One report page, A4 with 10 mm margins, sixteen objects: two
// framed memos and fourteen underlined rich-text labels.
#include "kmReport.h"

namespace km {

std::string_view DefaultReportTemplate() {
  static constexpr std::string_view kTemplate = R"xml(<?xml version="1.0" encoding="utf-8"?>
<TfrxReport Version="5.6.8">
  <TfrxDataPage Name="Data" Width="1000" Height="1000"/>
  <TfrxReportPage Name="Page1" PaperWidth="210" PaperHeight="297" PaperSize="9" LeftMargin="10" RightMargin="10" TopMargin="10" BottomMargin="10">
    <TfrxMemoView Name="me_Vorgangstext_Rahmen" Left="450" Top="68" Width="264.56695843" Height="215.43307575" Frame.Typ="ftLeft,ftRight,ftTop,ftBottom" Frame.Width="0.5" Font.Name="Arial" Font.Height="-11" Font.Color="clBlack" Text=""/>
    <TfrxRichView Name="rv_Belegnummer" Left="461" Top="73" Width="94.48825" Height="15.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Belegnummer\ulnone\par}"/>
    <TfrxRichView Name="rv_Belegdatum" Left="461" Top="88.11812" Width="94.48825" Height="15.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Belegdatum\ulnone\par}"/>
    <TfrxRichView Name="rv_bezug" Left="461" Top="103.23624" Width="94.48825" Height="15.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Bezug\ulnone\par}"/>
    <TfrxRichView Name="rv_Zahlungsart" Left="461" Top="118.35436" Width="94.48825" Height="15.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Zahlungsart\ulnone\par}"/>
    <TfrxRichView Name="rv_Sachbearbeiter" Left="461" Top="133.47248" Width="94.48825" Height="16.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Sachbearbeiter\ulnone\par}"/>
    <TfrxRichView Name="rv_Vertreter" Left="461" Top="148.5906" Width="94.48825" Height="15.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Vertreter\ulnone\par}"/>
    <TfrxRichView Name="rv_Projektnummer" Left="461" Top="163.70872" Width="94.48825" Height="15.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Projektnummer\ulnone\par}"/>
    <TfrxMemoView Name="me_Vorgangstext_Strich" Left="450" Top="183" Width="264.5671" Height="3.77953" Frame.Typ="ftTop" Frame.Width="0.5" Text=""/>
    <TfrxRichView Name="rv_KundeNr" Left="461" Top="190" Width="105.82684" Height="15.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Kunden- / Deb.Nr\ulnone\par}"/>
    <TfrxRichView Name="rv_IhrBeleg" Left="461" Top="205.11812" Width="94.48825" Height="15.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Ihr Beleg\ulnone\par}"/>
    <TfrxRichView Name="rv_IhrBelegdatum" Left="461" Top="220.23624" Width="94.48825" Height="15.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Ihr Belegdatum\ulnone\par}"/>
    <TfrxRichView Name="rv_Seite" Left="461" Top="250.47248" Width="94.48825" Height="22.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Seite\ulnone\par}"/>
    <TfrxRichView Name="rv_Steuer" Left="461" Top="235.35436" Width="94.48825" Height="15.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Ihre USt-ID\ulnone\par}"/>
    <TfrxRichView Name="Rich1" Left="569" Top="258" Width="105.82684" Height="15.11811024" GapX="10" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Kunden- / Deb.Nr\ulnone\par}"/>
    <TfrxRichView Name="Rich2" Left="19" Top="322" Width="94.48825" Height="18.89765" GapX="2" GapY="1" RichText="{\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Tahoma;}}\viewkind4\uc1\pard\ul\f0\fs16 Underline\ulnone\par}"/>
  </TfrxReportPage>
</TfrxReport>
)xml";
  return kTemplate;
}

}  // namespace km
