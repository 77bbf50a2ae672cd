#include "generate/place_names.h"

#include <stdexcept>
#include <string_view>

#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo::generate {
namespace {

// Syllables as "character initial" pairs, the character in UTF-8. Heads begin
// names; tails end them (and never stand first). The compass characters are
// kept apart, so that only a city's own stations end in one.
// clang-format off
constexpr std::string_view kHeads[] = {
    "安A", "鞍A", "白B", "百B", "包B", "宝B", "保B", "北B", "本B", "滨B", "博B", "沧C",
    "昌C", "长C", "常C", "朝C", "潮C", "郴C", "成C", "承C", "澄C", "赤C", "崇C", "楚C",
    "春C", "慈C", "达D", "大D", "丹D", "德D", "登D", "定D", "敦D", "峨E", "鄂E", "恩E",
    "法F", "繁F", "汾F", "丰F", "奉F", "凤F", "扶F", "福F", "抚F", "阜F", "富F", "甘G",
    "赣G", "高G", "格G", "公G", "巩G", "古G", "固G", "广G", "贵G", "桂G", "哈H", "海H",
    "邯H", "汉H", "合H", "和H", "河H", "菏H", "鹤H", "黑H", "衡H", "洪H", "红H", "鸿H",
    "侯H", "呼H", "湖H", "华H", "淮H", "怀H", "黄H", "徽H", "惠H", "吉J", "即J", "集J",
    "济J", "嘉J", "佳J", "建J", "江J", "姜J", "胶J", "蛟J", "介J", "金J", "锦J", "晋J",
    "京J", "泾J", "荆J", "井J", "景J", "靖J", "九J", "酒J", "莒J", "喀K", "开K", "凯K",
    "康K", "库K", "奎K", "昆K", "来L", "莱L", "兰L", "廊L", "乐L", "雷L", "黎L", "丽L",
    "利L", "溧L", "连L", "涟L", "聊L", "辽L", "林L", "临L", "灵L", "凌L", "陵L", "柳L",
    "六L", "龙L", "隆L", "陇L", "娄L", "庐L", "泸L", "鲁L", "禄L", "潞L", "吕L", "罗L",
    "洛L", "漯L", "麻M", "马M", "满M", "茂M", "梅M", "美M", "蒙M", "孟M", "米M", "密M",
    "绵M", "明M", "牡M", "木M", "穆M", "那N", "内N", "嫩N", "宁N", "牛N", "攀P", "盘P",
    "彭P", "蓬P", "邳P", "平P", "萍P", "莆P", "濮P", "普P", "七Q", "齐Q", "祁Q", "启Q",
    "千Q", "黔Q", "钦Q", "秦Q", "沁Q", "青Q", "清Q", "庆Q", "琼Q", "衢Q", "曲Q", "泉Q",
    "饶R", "仁R", "任R", "日R", "容R", "荣R", "如R", "汝R", "瑞R", "三S", "桑S", "沙S",
    "山S", "汕S", "商S", "上S", "韶S", "邵S", "绍S", "深S", "神S", "沈S", "升S", "胜S",
    "石S", "寿S", "舒S", "双S", "水S", "朔S", "四S", "松S", "嵩S", "苏S", "宿S", "绥S",
    "遂S", "孙S", "塔T", "台T", "太T", "泰T", "汤T", "唐T", "桃T", "滕T", "天T", "田T",
    "铁T", "通T", "桐T", "铜T", "潼T", "图T", "吐T", "瓦W", "万W", "汪W", "望W", "威W",
    "潍W", "渭W", "温W", "文W", "闻W", "乌W", "无W", "吴W", "梧W", "五W", "武W", "息X",
    "锡X", "霞X", "夏X", "厦X", "仙X", "咸X", "香X", "湘X", "襄X", "祥X", "孝X", "忻X",
    "新X", "信X", "兴X", "邢X", "修X", "秀X", "徐X", "许X", "宣X", "薛X", "雅Y", "烟Y",
    "延Y", "岩Y", "盐Y", "兖Y", "扬Y", "杨Y", "洋Y", "姚Y", "叶Y", "伊Y", "宜Y", "仪Y",
    "沂Y", "义Y", "益Y", "银Y", "英Y", "鹰Y", "营Y", "永Y", "榆Y", "余Y", "禹Y", "玉Y",
    "元Y", "岳Y", "越Y", "云Y", "运Y", "枣Z", "泽Z", "湛Z", "张Z", "章Z", "漳Z", "樟Z",
    "昭Z", "招Z", "肇Z", "镇Z", "正Z", "郑Z", "中Z", "忠Z", "钟Z", "舟Z", "周Z", "株Z",
    "珠Z", "诸Z", "驻Z", "淄Z", "资Z", "紫Z", "邹Z", "遵Z", "左Z",
};

constexpr std::string_view kTails[] = {
    "州Z", "阳Y", "山S", "江J", "城C", "安A", "宁N", "平P", "口K", "河H", "原Y", "林L",
    "庄Z", "门M", "春C", "沙S", "海H", "都D", "昌C", "明M", "化H", "定D", "丰F", "台T",
    "水S", "源Y", "兴X", "关G", "家J", "营Y", "岭L", "坪P", "店D", "集J", "镇Z", "屯T",
    "堡B", "桥Q", "湾W", "坝B", "沟G", "埠B", "头T", "峰F", "溪X", "浦P", "港G", "滩T",
    "岗G", "湖H", "泉Q", "陵L", "川C", "谷G", "池C", "德D", "远Y", "乡X", "寨Z", "坡P",
    "塘T", "洲Z", "渡D", "铺P", "亭T", "子Z", "里L", "庙M", "寺S", "园Y",
};
// clang-format on

constexpr std::string_view kCompass[] = {"东D", "西X", "南N", "北B"};

std::vector<PlaceNames::Syllable> syllablesOf(std::span<const std::string_view> table) {
  std::vector<PlaceNames::Syllable> out;
  for (const std::string_view entry : table) {
    std::u16string units;
    std::string gbk;
    if (!utf8ToUtf16(entry.substr(0, entry.size() - 1), units) || !utf16ToGbk(units, gbk) ||
        gbk.size() != 2) {
      throw std::logic_error("place names: a syllable is not one GBK character");
    }
    out.push_back({gbk, entry.back()});
  }
  return out;
}

}  // namespace

PlaceNames::PlaceNames()
    : heads_(syllablesOf(kHeads)), tails_(syllablesOf(kTails)), compass_(syllablesOf(kCompass)) {}

PlaceName PlaceNames::fresh(RandomSource& random, int characters) {
  constexpr int kTriesPerLength = 24;
  for (int length = characters;; ++length) {
    if (length > 5) throw std::logic_error("place names: no fresh name left");
    for (int attempt = 0; attempt < kTriesPerLength; ++attempt) {
      PlaceName name;
      for (int k = 0; k < length; ++k) {
        // Two-character names end in a head or a tail alike; longer ones in a
        // tail, as 石家庄 does.
        const bool last = k == length - 1;
        const bool tail = last && (length > 2 || random.chance(0.5));
        const auto& table = tail ? tails_ : heads_;
        const Syllable& syllable = table[random.below(static_cast<uint32_t>(table.size()))];
        name.name += syllable.gbk;
        name.abbreviation += syllable.initial;
      }
      // No character twice in a row (安安).
      bool doubled = false;
      for (std::size_t b = 2; b < name.name.size(); b += 2) {
        doubled = doubled || name.name.compare(b, 2, name.name, b - 2, 2) == 0;
      }
      if (!doubled && claim(name)) return name;
    }
  }
}

bool PlaceNames::tryCompass(const PlaceName& city, Compass direction, PlaceName& out) {
  const Syllable& syllable = compass_[static_cast<std::size_t>(direction)];
  PlaceName name{city.name + syllable.gbk, city.abbreviation + syllable.initial};
  if (!claim(name)) return false;
  out = std::move(name);
  return true;
}

}  // namespace murlo::generate
