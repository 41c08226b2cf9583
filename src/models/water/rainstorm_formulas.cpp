#include "models/water/rainstorm_formulas.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string_view>

namespace models::water {

namespace {

// Local rainstorm intensity formulas. "莱阳" is printed with 6.24 where the manual's
// computation uses 6.241; "东兴" divides by (t+5) raised to 0.439·P^-0.159, as printed.
const std::vector<RainFormula> kTable = {
    {"浙江", "温州", RainYield::Q, "910×(1+0.61lgP) / t^0.49"},
    {"浙江", "杭州", RainYield::Q, "10174×(1+0.844lgP) / (t+25)^1.038"},
    {"浙江", "宁波", RainYield::I, "(18.105+13.9lgP) / (t+13.265)^0.778"},
    {"浙江", "诸暨", RainYield::I, "(20.688+17.734lgP) / (t+6.146)^0.891"},
    {"北京", "", RainYield::Q, "2001×(1+0.811lgP) / (t+8)^0.711"},
    {"上海", "", RainYield::Q, "5544×(P^0.3-0.42) / (t+10+7lgP)^(0.82+0.07lgP)"},
    {"天津", "", RainYield::Q, "3833.34×(1+0.885lgP) / (t+17)^0.85"},
    {"重庆", "", RainYield::Q, "2822×(1+0.775lgP) / (t+12.8P^0.076)^0.77"},
    {"福建", "福州", RainYield::I, "(6.162+3.881lgP) / (t+1.774)^0.567"},
    {"福建", "厦门", RainYield::Q, "850×(1+0.745lgP) / t^0.514"},
    {"河南", "郑州", RainYield::Q, "7650×(1+1.15lg(P+0.143)) / (t+37.3)^0.99"},
    {"河南", "安阳", RainYield::Q, "3680P^0.4 / (t+16.7)^0.858"},
    {"河南", "新乡", RainYield::Q, "1102×(1+0.623lgP) / (t+3.2)^0.6"},
    {"河南", "济源", RainYield::I, "(22.973+35.317lgP) / (t+27.857)^0.926"},
    {"河南", "洛阳", RainYield::Q, "3336×(1+0.872lgP) / (t+14.8)^0.884"},
    {"河南", "开封", RainYield::Q, "5075×(1+0.61lgP) / (t+19)^0.92"},
    {"河南", "商丘", RainYield::I, "(9.821+9.068lgP) / (t+4.492)^0.694"},
    {"河南", "许昌", RainYield::Q, "1987×(1+0.747lgP) / (t+11.7)^0.75"},
    {"河南", "平顶山", RainYield::Q, "883.8×(1+0.837lgP) / t^0.57"},
    {"河南", "南阳", RainYield::I, "(3.591+3.97lgP) / (t+3.434)^0.416"},
    {"河南", "信阳", RainYield::Q, "2058P^0.341 / (t+11.9)^0.723"},
    {"江苏", "南京", RainYield::Q, "2989.3×(1+0.671lgP) / (t+13.3)^0.8"},
    {"江苏", "徐州", RainYield::Q, "1510.7×(1+0.514lgP) / (t+9)^0.64"},
    {"江苏", "连云港", RainYield::Q, "3360.04×(1+0.82lgP) / (t+35.7)^0.74"},
    {"江苏", "淮阴", RainYield::Q, "5030.04×(1+0.887lgP) / (t+23.2)^0.88"},
    {"江苏", "盐城", RainYield::Q, "945.22×(1+0.761lgP) / (t+3.5)^0.57"},
    {"江苏", "扬州", RainYield::Q, "8248.13×(1+0.641lgP) / (t+40.3)^0.95"},
    {"江苏", "南通", RainYield::Q, "2007.34×(1+0.752lgP) / (t+17.9)^0.71"},
    {"江苏", "镇江", RainYield::Q, "2418.16×(1+0.787lgP) / (t+10.5)^0.78"},
    {"江苏", "常州", RainYield::Q, "3727.44×(1+0.742lgP) / (t+15.8)^0.88"},
    {"江苏", "无锡", RainYield::Q, "10579×(1+0.828lgP) / (t+46.4)^0.99"},
    {"江苏", "苏州", RainYield::Q, "2887.43×(1+0.794lgP) / (t+18.8)^0.81"},
    {"湖北", "汉口", RainYield::Q, "983×(1+0.65lgP) / (t+4)^0.56"},
    {"湖北", "老河口", RainYield::Q, "6400×(1+1.059lgP) / (t+23.36)"},
    {"湖北", "随州", RainYield::Q, "1190×(1+0.9lgP) / t^0.74"},
    {"湖北", "恩施", RainYield::Q, "1108×(1+0.73lgP) / t^0.626"},
    {"湖北", "荆州", RainYield::I, "(18.007+16.535lgP) / (t+14.3)^0.847"},
    {"湖北", "沙市", RainYield::Q, "684.7×(1+0.854lgP) / t^0.526"},
    {"湖北", "黄石", RainYield::Q, "2417×(1+0.79lgP) / (t+7)^0.7655"},
    {"湖南", "长沙", RainYield::Q, "3920×(1+0.68lgP) / (t+17)^0.86"},
    {"湖南", "常德", RainYield::I, "(6.89+6.251lgP) / (t+4.367)^0.602"},
    {"湖南", "益阳", RainYield::Q, "914×(1+0.882lgP) / t^0.584"},
    {"湖南", "株洲", RainYield::Q, "1108×(1+0.95lgP) / t^0.623"},
    {"湖南", "衡阳", RainYield::Q, "892×(1+0.67lgP) / t^0.57"},
    {"安徽", "合肥", RainYield::Q, "3600×(1+0.76lgP) / (t+14)^0.84"},
    {"安徽", "蚌埠", RainYield::Q, "2550×(1+0.77lgP) / (t+12)^0.774"},
    {"安徽", "淮南", RainYield::Q, "2034×(1+0.71lgP) / (t+6.29)^0.71"},
    {"安徽", "芜湖", RainYield::Q, "3345×(1+0.78lgP) / (t+12)^0.83"},
    {"安徽", "安庆", RainYield::Q, "1986.8×(1+0.777lgP) / (t+8.404)^0.689"},
    {"山东", "济南", RainYield::Q, "4700×(1+0.753lgP) / (t+17.5)^0.898"},
    {"山东", "德州", RainYield::Q, "3082×(1+0.7lgP) / (t+15)^0.79"},
    {"山东", "淄博", RainYield::I, "15.873×(1+0.78lgP) / (t+10)^0.91"},
    {"山东", "潍坊", RainYield::Q, "4091.17×(1+0.824lgP) / (t+16.7)^0.87"},
    {"山东", "掖县", RainYield::I, "(17.034+17.322lgP) / (t+9.508)^0.837"},
    {"山东", "龙口", RainYield::I, "(3.781+3.118lgP) / (t+2.605)^0.467"},
    {"山东", "长岛", RainYield::I, "(5.941+4.976lgP) / (t+3.626)^0.622"},
    {"山东", "烟台", RainYield::I, "(6.912+7.373lgP) / (t+9.018)^0.609"},
    {"山东", "莱阳", RainYield::I, "(5.824+6.241lgP) / (t+8.173)^0.532", "(5.824+6.24lgP)"},
    {"山东", "海阳", RainYield::I, "(4.953+4.063lgP) / (t+0.158)^0.523"},
    {"山东", "枣庄", RainYield::I, "(65.512+52.455lgP) / (t+22.378)^1.069"},
    {"江西", "南昌", RainYield::Q, "1386×(1+0.69lgP) / (t+1.4)^0.64"},
    {"江西", "庐山", RainYield::Q, "2121×(1+0.61lgP) / (t+8)^0.73"},
    {"江西", "修水", RainYield::Q, "3006×(1+0.78lgP) / (t+10)^0.79"},
    {"江西", "波阳", RainYield::Q, "1770×(1+0.58lgP) / (t+8)^0.66"},
    {"江西", "宜春", RainYield::Q, "2806×(1+0.67lgP) / (t+10)^0.79"},
    {"江西", "贵溪", RainYield::Q, "7014×(1+0.49lgP) / (t+19)^0.96"},
    {"江西", "吉安", RainYield::Q, "5010×(1+0.48lgP) / (t+10)^0.92"},
    {"江西", "赣州", RainYield::Q, "3173×(1+0.56lgP) / (t+10)^0.79"},
    {"广东", "广州", RainYield::Q, "2424.17×(1+0.533lgP) / (t+11)^0.668"},
    {"广东", "韶关", RainYield::Q, "958×(1+0.63lgP) / t^0.544"},
    {"广东", "汕头", RainYield::Q, "1042×(1+0.56lgP) / t^0.488"},
    {"广东", "深圳", RainYield::Q, "975×(1+0.745lgP) / t^0.442"},
    {"广东", "佛山", RainYield::Q, "1930×(1+0.58lgP) / (t+9)^0.66"},
    {"广东", "海口", RainYield::Q, "2338×(1+0.4lgP) / (t+9)^0.65"},
    {"四川", "成都", RainYield::Q, "2806×(1+0.803lgP) / (t+12.8P^0.231)^0.768"},
    {"四川", "内江", RainYield::Q, "1246×(1+0.705lgP) / (t+4.73P^0.0102)^0.597"},
    {"四川", "自贡", RainYield::Q, "4392×(1+0.59lgP) / (t+19.3)^0.804"},
    {"四川", "泸州", RainYield::Q, "10020×(1+0.56lgP) / (t+36)"},
    {"四川", "宜宾", RainYield::Q, "1169×(1+0.828lgP) / (t+4.4P^0.428)^0.561"},
    {"四川", "乐山", RainYield::Q, "13690×(1+0.695lgP) / (t+50.4P^0.038)"},
    {"四川", "雅安", RainYield::I, "7.622×(1+0.63lgP) / (t+6.64)^0.56"},
    {"四川", "渡口", RainYield::Q, "2422×(1+0.614lgP) / (t+13)^0.78"},
    {"云南", "昆明", RainYield::I, "(8.918+6.183lgP) / (t+10.247)^0.649"},
    {"云南", "丽江", RainYield::Q, "317×(1+0.958lgP) / t^0.45"},
    {"云南", "下关", RainYield::Q, "1534×(1+1.035lgP) / (t+9.86)^0.762"},
    {"云南", "腾冲", RainYield::Q, "4342×(1+0.96lgP) / (t+13P^0.09)"},
    {"云南", "思茅", RainYield::Q, "3350×(1+0.5lgP) / (t+10.5)^0.85"},
    {"云南", "昭通", RainYield::Q, "4008×(1+0.667lgP) / (t+12P^0.08)"},
    {"云南", "沾益", RainYield::Q, "2355×(1+0.654lgP) / (t+9.4P^0.157)^0.08"},
    {"云南", "开远", RainYield::Q, "995×(1+1.15lgP) / t^0.58"},
    {"云南", "广南", RainYield::Q, "977×(1+0.641lgP) / t^0.57"},
    {"贵州", "贵阳", RainYield::I, "(6.853+4.195lgP) / (t+5.168)^0.601"},
    {"贵州", "桐梓", RainYield::Q, "2022×(1+0.674lgP) / (t+9.58P^0.044)^0.733"},
    {"贵州", "毕节", RainYield::Q, "5055×(1+0.473lgP) / (t+17)^0.95"},
    {"贵州", "水城", RainYield::I, "(42.25+62.6lgP) / (t+35)"},
    {"贵州", "安顺", RainYield::Q, "3756×(1+0.875lgP) / (t+13.14P^0.158)^0.827"},
    {"贵州", "罗甸", RainYield::Q, "763×(1+0.647lgP) / (t+0.915P^0.775)^0.51"},
    {"贵州", "榕江", RainYield::Q, "2223×(1+0.767lgP) / (t+8.93P^0.168)^0.729"},
    {"新疆", "乌鲁木齐", RainYield::Q, "195×(1+0.82lgP) / (t+7.8)^0.63"},
    {"新疆", "塔城", RainYield::Q, "750×(1+1.1lgP) / t^0.85"},
    {"新疆", "乌苏", RainYield::Q, "1135P^0.583 / (t+4)"},
    {"甘肃", "兰州", RainYield::Q, "1140×(1+0.96lgP) / (t+8)^0.8"},
    {"甘肃", "张掖", RainYield::Q, "88.4P^0.623 / t^0.456"},
    {"甘肃", "临夏", RainYield::Q, "479×(1+0.86lgP) / t^0.621"},
    {"甘肃", "靖远", RainYield::Q, "284×(1+1.35lgP) / t^0.505"},
    {"甘肃", "平凉", RainYield::I, "(4.452+4.841lgP) / (t+2.57)^0.668"},
    {"甘肃", "天水", RainYield::I, "(37.104+33.385lgP) / (t+18.431)^1.131"},
    {"陕西", "西安", RainYield::I, "6.041×(1+1.475lgP) / (t+14.72)^0.704"},
    {"陕西", "榆林", RainYield::I, "8.22×(1+1.152lgP) / (t+9.44)^0.746"},
    {"陕西", "子长", RainYield::I, "18.612×(1+1.04lgP) / (t+15)^0.877"},
    {"陕西", "延安", RainYield::I, "5.582×(1+1.292lgP) / (t+8.22)^0.7"},
    {"陕西", "宜川", RainYield::I, "15.64×(1+1.01lgP) / (t+10)^0.856"},
    {"陕西", "彬县", RainYield::I, "8.802×(1+1.328lgP) / (t+18.5)^0.737"},
    {"陕西", "铜川", RainYield::I, "5.94×(1+1.39lgP) / (t+7)^0.67"},
    {"陕西", "宝鸡", RainYield::I, "11.01×(1+0.94lgP) / (t+12)^0.932"},
    {"陕西", "商县", RainYield::I, "6.8×(1+0.941lgP) / (t+9.556)^0.731"},
    {"陕西", "汉中", RainYield::I, "2.6×(1+1.04lgP) / (t+4)^0.518"},
    {"陕西", "安康", RainYield::I, "8.74×(1+0.96lgP) / (t+14)^0.75"},
    {"河北", "石家庄", RainYield::Q, "1689×(1+0.898lgP) / (t+7)^0.729"},
    {"河北", "承德", RainYield::Q, "2839×[1+0.728lg(P-0.121)] / (t+9.6)^0.87"},
    {"河北", "秦皇岛", RainYield::I, "(7.369+5.589lgP) / (t+7.067)^0.615"},
    {"河北", "唐山", RainYield::Q, "935×(1+0.87lgP) / t^0.6"},
    {"河北", "廊坊", RainYield::I, "(16.956+13.017lgP) / (t+14.085)^0.785"},
    {"河北", "沧州", RainYield::I, "(10.227+8.099lgP) / (t+4.819)^0.671"},
    {"河北", "保定", RainYield::I, "(14.973+10.266lgP) / (t+13.877)^0.776"},
    {"河北", "邢台", RainYield::I, "(9.609+8.583lgP) / (t+9.381)^0.677"},
    {"河北", "邯郸", RainYield::I, "(7.802+7.5lgP) / (t+7.767)^0.602"},
    {"山西", "太原", RainYield::Q, "880×(1+0.86lgP) / (t+4.6)^0.62"},
    {"山西", "大同", RainYield::Q, "1532.7×(1+1.08lgP) / (t+6.9)^0.87"},
    {"山西", "朔县", RainYield::Q, "1402.8×(1+0.8lgP) / (t+6)^0.81"},
    {"山西", "原平", RainYield::Q, "1803.6×(1+1.04lgP) / (t+8.64)^0.8"},
    {"山西", "阳泉", RainYield::Q, "1730.1×(1+0.61lgP) / (t+9.6)^0.78"},
    {"山西", "榆次", RainYield::Q, "1736.8×(1+1.08lgP) / (t+10)^0.81"},
    {"山西", "离石", RainYield::Q, "1045.4×(1+0.8lgP) / (t+7.64)^0.7"},
    {"山西", "长治", RainYield::Q, "3340×(1+1.43lgP) / (t+15.8)^0.93"},
    {"山西", "临汾", RainYield::Q, "1207.4×(1+0.94lgP) / (t+5.64)^0.74"},
    {"山西", "侯马", RainYield::Q, "2212.8×(1+1.04lgP) / (t+10.4)^0.83"},
    {"山西", "运城", RainYield::Q, "993.7×(1+1.04lgP) / (t+10.3)^0.65"},
    {"黑龙江", "哈尔滨", RainYield::Q, "2889×(1+0.9lgP) / (t+10)^0.88"},
    {"黑龙江", "漠河", RainYield::Q, "1469.6×(1+1.0lgP) / (t+6)^0.86"},
    {"黑龙江", "呼玛", RainYield::Q, "2538×(1+0.875lgP) / (t+10.4)^0.93"},
    {"黑龙江", "黑河", RainYield::Q, "2806×(1+0.83lgP) / (t+8.5)^0.93"},
    {"黑龙江", "嫩江", RainYield::Q, "1703.4×(1+0.8lgP) / (t+6.75)^0.8"},
    {"黑龙江", "北安", RainYield::Q, "1503×(1+0.85lgP) / (t+6)^0.78"},
    {"黑龙江", "齐齐哈尔", RainYield::Q, "1920×(1+0.89lgP) / (t+6.4)^0.86"},
    {"黑龙江", "大庆", RainYield::Q, "1820×(1+0.91lgP) / (t+8.3)^0.77"},
    {"黑龙江", "佳木斯", RainYield::Q, "3139.6×(1+0.98lgP) / (t+10)^0.94"},
    {"黑龙江", "同江", RainYield::Q, "2672×(1+0.84lgP) / (t+9)^0.89"},
    {"黑龙江", "抚远", RainYield::Q, "1586.5×(1+0.81lgP) / (t+6.2)^0.78"},
    {"黑龙江", "虎林", RainYield::Q, "1469.4×(1+1.0lgP) / (t+6.7)^0.76"},
    {"黑龙江", "鸡西", RainYield::Q, "2054×(1+0.76lgP) / (t+7)^0.87"},
    {"黑龙江", "牡丹江", RainYield::Q, "2550×(1+0.92lgP) / (t+10)^0.93"},
    {"吉林", "长春", RainYield::Q, "1600×(1+0.8lgP) / (t+5)^0.76"},
    {"吉林", "白城", RainYield::Q, "662×(1+0.7lgP) / t^0.6"},
    {"吉林", "四平", RainYield::Q, "937.7×(1+0.7lgP) / t^0.6"},
    {"吉林", "吉林", RainYield::Q, "2166×(1+0.68lgP) / (t+7)^0.831"},
    {"吉林", "海龙", RainYield::I, "16.4×(1+0.899lgP) / (t+10)^0.867"},
    {"吉林", "通化", RainYield::Q, "1154.3×(1+0.7lgP) / t^0.6"},
    {"吉林", "浑江", RainYield::Q, "696×(1+1.05lgP) / t^0.67"},
    {"吉林", "延吉", RainYield::Q, "666.2×(1+0.7lgP) / t^0.6"},
    {"辽宁", "沈阳", RainYield::Q, "1984×(1+0.77lgP) / (t+9)^0.77"},
    {"辽宁", "本溪", RainYield::Q, "1500×(1+0.56lgP) / (t+6)^0.7"},
    {"辽宁", "丹东", RainYield::Q, "1221×(1+0.668lgP) / (t+7)^0.605"},
    {"辽宁", "大连", RainYield::Q, "1900×(1+0.66lgP) / (t+8)^0.8"},
    {"辽宁", "营口", RainYield::Q, "1800×(1+0.8lgP) / (t+8)^0.76"},
    {"辽宁", "鞍山", RainYield::Q, "2306×(1+0.701lgP) / (t+11)^0.757"},
    {"辽宁", "辽阳", RainYield::Q, "1220×(1+0.75lgP) / (t+5)^0.65"},
    {"辽宁", "黑山", RainYield::Q, "1676×(1+0.9lgP) / (t+7.4)^0.747"},
    {"辽宁", "锦州", RainYield::Q, "2200×(1+0.85lgP) / (t+7)^0.8"},
    {"辽宁", "锦西", RainYield::Q, "1878×(1+lgP) / (t+6)^0.732"},
    {"辽宁", "绥中", RainYield::Q, "1833×(1+0.806lgP) / (t+9)^0.724"},
    {"广西", "南宁", RainYield::Q, "10500×(1+0.707lgP) / (t+21.1P^0.119)"},
    {"广西", "河池", RainYield::Q, "2850×(1+0.597lgP) / (t+8.5)^0.757"},
    {"广西", "融水", RainYield::Q, "2097×(1+0.516lgP) / (t+6.7)^0.65"},
    {"广西", "桂林", RainYield::Q, "4230×(1+0.402lgP) / (t+13.5)^0.841"},
    {"广西", "柳州", RainYield::Q, "2415×P^0.34 / (t+8.24P^0.327)^0.725"},
    {"广西", "百色", RainYield::Q, "2800×(1+0.547lgP) / (t+9.5)^0.747"},
    {"广西", "宁明", RainYield::Q, "4030×(1+0.62lgP) / (t+12.5)^0.823"},
    {"广西", "东兴", RainYield::Q, "1217×(1+0.0685lg²P) / (t+5)^(0.439P^-0.159)"},
    {"广西", "钦州", RainYield::Q, "1817×(1+0.505lgP) / (t+5.7)^0.58"},
    {"广西", "北海", RainYield::Q, "1625×(1+0.437lgP) / (t+4)^0.57"},
    {"广西", "玉林", RainYield::Q, "2170×(1+0.484lgP) / (t+6.4)^0.665"},
    {"广西", "梧州", RainYield::Q, "2670×(1+0.466lgP) / (t+7)^0.72"},
    {"内蒙", "包头", RainYield::I, "9.96×(1+0.985lgP) / (t+5.4)^0.85"},
    {"内蒙", "集宁", RainYield::Q, "534.4×(1+lgP) / t^0.63"},
    {"内蒙", "赤峰", RainYield::Q, "1600×(1+1.35lgP) / (t+10)^0.8"},
    {"内蒙", "海拉尔", RainYield::Q, "2630×(1+1.05lgP) / (t+10)^0.99"},
    {"宁夏", "银川", RainYield::Q, "242×(1+0.83lgP) / t^0.477"},
    {"青海", "西宁", RainYield::Q, "308×(1+1.39lgP) / t^0.58"},
};

// Recursive-descent reader of the notation over UTF-8 text.
class Reader {
 public:
  Reader(const std::string& s, double p, double t) : m_text(s), m_p(p), m_t(t) {}

  double all() {
    const double v = sum();
    skipBlanks();
    if (m_pos != m_text.size()) bad();
    return v;
  }

 private:
  double sum() {
    double v = product();
    for (;;) {
      skipBlanks();
      if (eat("+"))
        v += product();
      else if (eat("-"))
        v -= product();
      else
        return v;
    }
  }

  double product() {
    double v = power();
    for (;;) {
      skipBlanks();
      if (eat("×"))
        v *= power();
      else if (startsFactor())
        v *= power();
      else
        return v;
    }
  }

  double power() {
    const double base = unary();
    skipBlanks();
    if (eat("^")) return std::pow(base, unary());
    return base;
  }

  double unary() {
    skipBlanks();
    if (eat("-")) return -unary();
    return primary();
  }

  double primary() {
    skipBlanks();
    if (eat("(")) return closed(")");
    if (eat("[")) return closed("]");
    if (eat("P")) return m_p;
    if (eat("t")) return m_t;
    if (eat("lg²")) {
      const double l = std::log10(primary());
      return l * l;
    }
    if (eat("lg")) return std::log10(primary());
    return number();
  }

  double closed(const char* close) {
    const double v = sum();
    skipBlanks();
    if (!eat(close)) bad();
    return v;
  }

  double number() {
    size_t end = m_pos;
    while (end < m_text.size() &&
           (std::isdigit(static_cast<unsigned char>(m_text[end])) || m_text[end] == '.'))
      ++end;
    double v = 0;
    // from_chars reads the C locale's notation whatever the program's locale is.
    const auto r = std::from_chars(m_text.data() + m_pos, m_text.data() + end, v);
    if (r.ec != std::errc() || r.ptr != m_text.data() + end || end == m_pos) bad();
    m_pos = end;
    return v;
  }

  bool startsFactor() const {
    if (m_pos >= m_text.size()) return false;
    const char c = m_text[m_pos];
    return std::isdigit(static_cast<unsigned char>(c)) || c == '(' || c == '[' || c == 'P' ||
           c == 't' || m_text.compare(m_pos, 2, "lg") == 0;
  }

  bool eat(const char* token) {
    const std::string_view tok(token);
    if (m_text.compare(m_pos, tok.size(), tok) != 0) return false;
    m_pos += tok.size();
    return true;
  }

  void skipBlanks() {
    while (m_pos < m_text.size() && m_text[m_pos] == ' ') ++m_pos;
  }

  [[noreturn]] void bad() const {
    throw std::logic_error("unreadable rainstorm formula \"" + m_text + "\" (internal error)");
  }

  const std::string& m_text;
  size_t m_pos = 0;
  double m_p, m_t;
};

// Index of the last top-level occurrence of c, or npos.
size_t lastTopLevel(const std::string& s, char c) {
  int depth = 0;
  size_t found = std::string::npos;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '(' || s[i] == '[')
      ++depth;
    else if (s[i] == ')' || s[i] == ']')
      --depth;
    else if (s[i] == c && depth == 0)
      found = i;
  }
  return found;
}

// "(x)" -> "x" when the parentheses enclose the whole text.
std::string withoutOuterParens(const std::string& s) {
  if (s.size() < 2 || s.front() != '(' || s.back() != ')') return s;
  int depth = 0;
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] == '(')
      ++depth;
    else if (s[i] == ')' && --depth == 0)
      return s;
  }
  return s.substr(1, s.size() - 2);
}

}  // namespace

const std::vector<RainFormula>& rainFormulaTable() { return kTable; }

double evaluateRainExpression(const std::string& text, double p, double t) {
  return Reader(text, p, t).all();
}

RainFormulaParts splitRainFormula(const std::string& formula) {
  const size_t slash = formula.find(" / ");
  if (slash == std::string::npos)
    throw std::logic_error("rainstorm formula without a fraction (internal error)");
  RainFormulaParts parts;
  parts.numerator = formula.substr(0, slash);
  const std::string den = formula.substr(slash + 3);
  const size_t hat = lastTopLevel(den, '^');
  if (hat == std::string::npos) {
    parts.base = den;
  } else {
    parts.base = den.substr(0, hat);
    parts.exponent = withoutOuterParens(den.substr(hat + 1));
  }
  return parts;
}

// value = numerator / base^exponent
double evaluateRainFormula(const RainFormula& f, double p, double t) {
  const RainFormulaParts parts = splitRainFormula(f.formula);
  const double num = evaluateRainExpression(parts.numerator, p, t);
  const double base = evaluateRainExpression(parts.base, p, t);
  if (parts.exponent.empty()) return num / base;
  return num / std::pow(base, evaluateRainExpression(parts.exponent, p, t));
}

}  // namespace models::water
