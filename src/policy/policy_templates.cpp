#include "policy/policy_templates.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "data/monitor_settings.h"
#include "data/policy.h"
#include "dialogs/settings_logic.h"

namespace sopora {

namespace {

// The narrow literals of the program are Shift JIS; the templates' texts
// are written as UTF-8 literals and copied byte for byte.
std::string Utf8(std::u8string_view text) { return {reinterpret_cast<const char*>(text.data()), text.size()}; }

enum Language { ENGLISH, JAPANESE };

struct PolicyText {
  const char* key;
  std::array<std::u8string_view, 2> name;     // the policy's title
  std::array<std::u8string_view, 2> explain;  // what it does
  std::array<std::u8string_view, 2> label;    // beside its field, if it has one
};

// One entry a value name; a key added to Sopora.ini without one here still
// gets its policy, with a plain title.
constexpr PolicyText POLICY_TEXTS[] = {
    {"CPUBorder",
     {u8"Processor load threshold", u8"CPU 負荷基準値"},
     {u8"A processor load below this percentage counts as low.",
      u8"CPU 負荷がこの割合 (%) を下回ると低負荷とみなします。"},
     {u8"Percent", u8"％"}},
    {"NETBorder",
     {u8"Network threshold", u8"ネットワーク基準値"},
     {u8"While network traffic is measured, traffic below this many KB/s "
      u8"counts as low.",
      u8"ネットワーク使用を監視しているとき、この値 (KB/s) "
      u8"を下回る通信を低負荷とみなします。"},
     {u8"KB/s", u8"KB/s"}},
    {"DISKBorder",
     {u8"Disk threshold", u8"ディスク基準値"},
     {u8"While disk traffic is measured, traffic below this many KB/s counts "
      u8"as low.",
      u8"ディスク使用を監視しているとき、この値 (KB/s) "
      u8"を下回る読み書きを低負荷とみなします。"},
     {u8"KB/s", u8"KB/s"}},
    {"MAXTime",
     {u8"Minutes of low load before power saving", u8"低負荷継続時間"},
     {u8"After the load has stayed low for this many minutes, Sopora puts the "
      u8"PC into the power-saving state.",
      u8"負荷が低い状態がこの時間 (分) 続くと、Sopora は PC "
      u8"を省電力状態にします。"},
     {u8"Minutes", u8"分"}},
    {"Interval",
     {u8"Measuring interval", u8"計測間隔"},
     {u8"Seconds between two measurements of the load.", u8"負荷を計測する間隔 (秒) です。"},
     {u8"Seconds", u8"秒"}},
    {"Method",
     {u8"Power-saving state", u8"省電力状態"},
     {u8"What Sopora does after the low-load time: standby, hibernation or "
      u8"shutdown.",
      u8"低負荷継続時間の後に Sopora が行う省電力の方法です: "
      u8"スタンバイ、休止状態、シャットダウン。"},
     {u8"State", u8"省電力状態"}},
    {"ResumeReboot",
     {u8"Offer a restart after resume", u8"省電力状態復帰時に再起動する"},
     {u8"Enabled: after the PC resumes from power saving, Sopora counts down "
      u8"to a restart, which the user may cancel.",
      u8"有効: 省電力状態から復帰した後、Sopora "
      u8"は再起動までの秒読みを表示します (ユーザーは取り消せます)。"},
     {}},
    {"Retry",
     {u8"Restart the count before power saving", u8"省電力移行時にカウンタリセット"},
     {u8"Enabled: the low-load count starts again when the PC goes into "
      u8"standby or hibernation, so an unsuccessful "
      u8"attempt is tried again after another low-load time.",
      u8"有効: "
      u8"スタンバイや休止状態に移るときに低負荷のカウントを最初からやり直します"
      u8"。移行できなかったときは、"
      u8"もう一度低負荷継続時間の後に試みます。"},
     {}},
    {"Network",
     {u8"Measure network traffic", u8"ネットワーク使用監視"},
     {u8"Enabled: the load counts as low only while network traffic is also "
      u8"below its threshold.",
      u8"有効: "
      u8"ネットワークの通信量も基準値を下回っているときだけ低負荷とみなします"
      u8"。"},
     {}},
    {"Disk",
     {u8"Measure disk traffic", u8"ディスク使用監視"},
     {u8"Enabled: the load counts as low only while disk traffic is also below "
      u8"its threshold.",
      u8"有効: "
      u8"ディスクの読み書きも基準値を下回っているときだけ低負荷とみなします。"},
     {}},
    {"Requests",
     {u8"Honour keep-awake requests", u8"他のアプリの省電力抑止要求に従う"},
     {u8"Enabled: while another program asks Windows to keep the PC or its "
      u8"display awake (a video, a presentation), "
      u8"the low-load count waits.",
      u8"有効: 他のアプリが PC や画面を起こしておくよう Windows に求めている間 "
      u8"(動画やプレゼンテーションなど)、"
      u8"低負荷のカウントを保留します。"},
     {}},
    {"Warn",
     {u8"Warning before power saving", u8"省電力前の通知"},
     {u8"Seconds before the power-saving state that a notification warns the "
      u8"user (0: no warning).",
      u8"省電力状態に移る何秒前に通知でユーザーに知らせるかです (0: "
      u8"知らせない)。"},
     {u8"Seconds", u8"秒"}},
    {"Language",
     {u8"Language", u8"表示言語"},
     {u8"The language of Sopora's windows and log: ja for Japanese, en for "
      u8"English; anything else follows the user's "
      u8"Windows display language. Takes effect when Sopora next starts.",
      u8"Sopora の画面とログの言語です: ja で日本語、en で英語、それ以外は "
      u8"Windows の表示言語に従います。"
      u8"次に Sopora を起動したときから有効です。"},
     {u8"Language (ja or en)", u8"言語 (ja または en)"}},
    {"EventLog",
     {u8"Write the log to the event log", u8"動作ログをイベント ログにも書き込む"},
     {u8"Enabled: every line of Sopora's operation log is also written to the "
      u8"Windows Application event log, source Sopora. Not configured: on where "
      u8"the event source is registered (an install for every user), else off.",
      u8"有効: Sopora の動作ログの各行を Windows のアプリケーション イベント ログ "
      u8"(ソース Sopora) にも書き込みます。未構成の場合、イベント ソースが登録されて"
      u8"いれば (すべてのユーザー向けのインストール) 書き込み、それ以外は書き込みません。"},
     {}},
    {"Watts",
     {u8"Awake draw for the saving estimate", u8"省電力の実績の推定に使う消費電力"},
     {u8"The PC's draw while awake, in watts (1-2000), that the power saving "
      u8"history weighs Sopora's standby, hibernation and shutdown against to "
      u8"estimate the energy saved.",
      u8"省電力の実績で節電量を推定するときに使う、起動中の PC の消費電力 (W、"
      u8"1～2000) です。"},
     {u8"Watts", u8"消費電力 (W)"}},
    {ALLOW_PAUSE_VALUE,
     {u8"Allow pausing from the tray", u8"通知領域からの一時中止を許可する"},
     {u8"Disabled: the user cannot pause monitoring (the menu item is "
      u8"unavailable and a click on the icon does "
      u8"nothing), and a paused Sopora resumes.",
      u8"無効: ユーザーは監視を一時中止できません "
      u8"(メニュー項目は使えず、アイコンのクリックでも止まりません)。"
      u8"一時中止中の Sopora は監視を再開します。"},
     {}},
    {ALLOW_EXIT_VALUE,
     {u8"Allow exiting from the tray", u8"通知領域からの終了を許可する"},
     {u8"Disabled: the tray menu's Exit is unavailable. Installing or "
      u8"uninstalling Sopora still ends it.",
      u8"無効: 通知領域のメニューの「終了」を使えません。Sopora "
      u8"のインストールやアンインストールでは終了します。"},
     {}},
};

constexpr std::array<std::u8string_view, 2> METHOD_ITEMS[] = {
    {u8"Standby", u8"スタンバイ"}, {u8"Hibernation", u8"休止状態"}, {u8"Shutdown", u8"シャットダウン"}};
static_assert(std::size(METHOD_ITEMS) == std::size(METHOD_NAMES), "one item a method of the settings dialog");

enum class Element { Decimal, Choice, OnOff, Text };

struct TemplatePolicy {
  std::string name;
  Element element;
  std::int32_t fallback = 0;
  std::int32_t lowest = 0;
  std::int32_t highest = 0;
  bool inIni = true;  // a key of Sopora.ini, whose value the policy replaces
};

// Each key as the settings dialog offers it, or as its repair bounds it.
std::vector<TemplatePolicy> TemplatePolicies() {
  std::vector<TemplatePolicy> policies;
  for (const SettingKeyInfo& key : SettingKeyInfos()) {
    TemplatePolicy policy{key.name, Element::Decimal, key.fallback, std::max(key.lowest, 0), key.highest};
    if (key.kind == SettingKind::Text) policy.element = Element::Text;
    if (key.kind == SettingKind::Switch) policy.element = Element::OnOff;
    if (const DialogField* field = FindDialogField(key.name)) {
      constexpr Element AS_ELEMENT[] = {Element::Decimal, Element::Choice, Element::OnOff};
      policy.element = AS_ELEMENT[static_cast<int>(field->kind)];
      policy.lowest = field->lowest;
      policy.highest = field->highest;
    }
    policy.fallback = std::clamp(policy.fallback, policy.lowest, policy.highest);
    policies.push_back(policy);
  }
  for (const char* name : {ALLOW_PAUSE_VALUE, ALLOW_EXIT_VALUE})
    policies.push_back({name, Element::OnOff, 0, 0, 1, false});
  return policies;
}

const PolicyText* TextOf(std::string_view name) {
  const auto found = std::ranges::find(POLICY_TEXTS, name, &PolicyText::key);
  return found == std::end(POLICY_TEXTS) ? nullptr : found;
}

std::string Escape(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '&')
      escaped += "&amp;";
    else if (c == '<')
      escaped += "&lt;";
    else if (c == '>')
      escaped += "&gt;";
    else if (c == '"')
      escaped += "&quot;";
    else
      escaped += c;
  }
  return escaped;
}

constexpr const char* NAMESPACE = "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions";
constexpr const char* EOL = "\r\n";

std::string Admx() {
  std::string x = std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>") + EOL;
  x += std::string(
           "<policyDefinitions revision=\"1.0\" schemaVersion=\"1.0\" "
           "xmlns=\"") +
       NAMESPACE + "\">" + EOL;
  x += std::string("  <policyNamespaces>") + EOL;
  x += std::string(
           "    <target prefix=\"sopora\" "
           "namespace=\"Sopora.Policies.Sopora\" />") +
       EOL;
  x += std::string("  </policyNamespaces>") + EOL;
  x += std::string("  <resources minRequiredRevision=\"1.0\" />") + EOL;
  x += std::string("  <supportedOn>") + EOL + "    <definitions>" + EOL;
  x += std::string(
           "      <definition name=\"SUPPORTED_Sopora\" "
           "displayName=\"$(string.SUPPORTED_Sopora)\" />") +
       EOL;
  x += std::string("    </definitions>") + EOL + "  </supportedOn>" + EOL;
  x += std::string("  <categories>") + EOL;
  x += std::string("    <category name=\"Sopora\" displayName=\"$(string.Sopora)\" />") + EOL;
  x += std::string("  </categories>") + EOL + "  <policies>" + EOL;
  for (const TemplatePolicy& p : TemplatePolicies()) {
    const bool hasElement = p.element != Element::OnOff;
    x += "    <policy name=\"" + p.name + "\" class=\"Both\" displayName=\"$(string." + p.name +
         ")\" explainText=\"$(string." + p.name + "_Help)\"" +
         (hasElement ? " presentation=\"$(presentation." + p.name + ")\"" : "") +
         " key=\"Software\\Policies\\Sopora\"" + (hasElement ? "" : " valueName=\"" + p.name + "\"") + ">" + EOL;
    x += std::string("      <parentCategory ref=\"Sopora\" />") + EOL;
    x += std::string("      <supportedOn ref=\"SUPPORTED_Sopora\" />") + EOL;
    switch (p.element) {
      case Element::OnOff:
        x += std::string("      <enabledValue><decimal value=\"1\" /></enabledValue>") + EOL;
        x += std::string("      <disabledValue><decimal value=\"0\" /></disabledValue>") + EOL;
        break;
      case Element::Decimal:
        x += "      <elements>" + std::string(EOL) + "        <decimal id=\"" + p.name + "\" valueName=\"" + p.name +
             "\" required=\"true\" minValue=\"" + std::to_string(p.lowest) + "\" maxValue=\"" +
             std::to_string(p.highest) + "\" />" + EOL + "      </elements>" + EOL;
        break;
      case Element::Choice:
        x += "      <elements>" + std::string(EOL) + "        <enum id=\"" + p.name + "\" valueName=\"" + p.name +
             "\" required=\"true\">" + EOL;
        for (std::int32_t value = p.lowest; value <= p.highest; ++value) {
          const std::string item = p.name + "_" + std::to_string(value);
          x += "          <item displayName=\"$(string." + item + ")\"><value><decimal value=\"" +
               std::to_string(value) + "\" /></value></item>" + EOL;
        }
        x += "        </enum>" + std::string(EOL) + "      </elements>" + EOL;
        break;
      case Element::Text:
        x += "      <elements>" + std::string(EOL) + "        <text id=\"" + p.name + "\" valueName=\"" + p.name +
             "\" />" + EOL + "      </elements>" + EOL;
        break;
    }
    x += std::string("    </policy>") + EOL;
  }
  x += std::string("  </policies>") + EOL + "</policyDefinitions>" + EOL;
  return x;
}

std::string StringEntry(const std::string& id, const std::string& text) {
  return "      <string id=\"" + id + "\">" + Escape(text) + "</string>" + EOL;
}

std::string Adml(Language language) {
  const bool english = language == ENGLISH;
  std::string x = std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>") + EOL;
  x += std::string(
           "<policyDefinitionResources revision=\"1.0\" "
           "schemaVersion=\"1.0\" xmlns=\"") +
       NAMESPACE + "\">" + EOL;
  x += std::string("  <displayName>Sopora</displayName>") + EOL;
  x += "  <description>" +
       Utf8(english ? u8"Sopora's settings, set by the organisation." : u8"組織が設定する Sopora の設定です。") +
       "</description>" + EOL;
  x += std::string("  <resources>") + EOL + "    <stringTable>" + EOL;
  x += StringEntry("Sopora", "Sopora");
  x += StringEntry("SUPPORTED_Sopora", Utf8(english ? u8"Sopora 2.2 or later" : u8"Sopora 2.2 以降"));
  std::string presentations;
  for (const TemplatePolicy& p : TemplatePolicies()) {
    const PolicyText* text = TextOf(p.name);
    const std::string fallbackName = Utf8(english ? u8"Sopora.ini setting " : u8"Sopora.ini の設定 ") + p.name;
    x += StringEntry(p.name, text ? Utf8(text->name[language]) : fallbackName);
    const std::u8string_view replacesIni = english ? u8" Sopora.ini's value of this name is then not used."
                                                   : u8"このとき Sopora.ini の同じ名前の値は使いません。";
    x += StringEntry(p.name + "_Help", (text ? Utf8(text->explain[language]) : fallbackName) +
                                           (p.inIni ? Utf8(replacesIni) : std::string()));
    if (p.element == Element::Choice) {
      for (std::int32_t value = p.lowest; value <= p.highest; ++value) {
        x += StringEntry(p.name + "_" + std::to_string(value), Utf8(METHOD_ITEMS[value][language]));
      }
    }
    if (p.element == Element::OnOff) continue;
    const std::string label = Escape(text && !text->label[language].empty() ? Utf8(text->label[language]) : p.name);
    presentations += "      <presentation id=\"" + p.name + "\">" + EOL;
    switch (p.element) {
      case Element::Decimal:
        presentations += "        <decimalTextBox refId=\"" + p.name + "\" defaultValue=\"" +
                         std::to_string(p.fallback) + "\">" + label + "</decimalTextBox>" + EOL;
        break;
      case Element::Choice:
        presentations += "        <dropdownList refId=\"" + p.name + "\" noSort=\"true\" defaultItem=\"" +
                         std::to_string(p.fallback - p.lowest) + "\">" + label + "</dropdownList>" + EOL;
        break;
      default:
        presentations += "        <textBox refId=\"" + p.name + "\"><label>" + label + "</label></textBox>" + EOL;
        break;
    }
    presentations += std::string("      </presentation>") + EOL;
  }
  x += std::string("    </stringTable>") + EOL + "    <presentationTable>" + EOL + presentations;
  x += std::string("    </presentationTable>") + EOL + "  </resources>" + EOL + "</policyDefinitionResources>" + EOL;
  return x;
}

}  // namespace

PolicyTemplates MakePolicyTemplates() { return {Admx(), Adml(ENGLISH), Adml(JAPANESE)}; }

}  // namespace sopora
