#include "core/model/Codecs.h"

// The three tone tables offered by the channel table's tone list, in the radio's order.

namespace orvik {

namespace {

// An 8-byte NUL-padded table entry from a short literal.
template <std::size_t N> constexpr ToneEntry E(const char (&s)[N]) {
    static_assert(N <= 8);
    ToneEntry e{};
    for (std::size_t i = 0; i + 1 < N; ++i)
        e[i] = s[i];
    return e;
}

} // namespace

const std::array<ToneEntry, 51> CtcssTable{{
    E("67.0"),  E("69.3"),  E("71.9"),  E("74.4"),  E("77.0"),  E("79.7"),  E("82.5"),  E("85.4"),
    E("88.5"),  E("91.5"),  E("94.8"),  E("97.4"),  E("100.0"), E("103.5"), E("107.2"), E("110.9"),
    E("114.8"), E("118.8"), E("123.0"), E("127.3"), E("131.8"), E("136.5"), E("141.3"), E("146.2"),
    E("151.4"), E("153.0"), E("156.7"), E("159.8"), E("162.2"), E("165.5"), E("167.9"), E("171.3"),
    E("173.8"), E("177.3"), E("179.9"), E("183.5"), E("186.2"), E("189.9"), E("192.8"), E("196.6"),
    E("199.5"), E("203.5"), E("206.5"), E("210.7"), E("218.1"), E("225.7"), E("229.1"), E("233.6"),
    E("241.8"), E("250.3"), E("254.1"),
}};

const std::array<ToneEntry, 105> DcsNormalTable{{
    E("D023N"), E("D025N"), E("D026N"), E("D031N"), E("D032N"), E("D036N"), E("D043N"), E("D047N"),
    E("D051N"), E("D053N"), E("D054N"), E("D065N"), E("D071N"), E("D072N"), E("D073N"), E("D074N"),
    E("D114N"), E("D115N"), E("D116N"), E("D122N"), E("D125N"), E("D131N"), E("D132N"), E("D134N"),
    E("D143N"), E("D145N"), E("D152N"), E("D155N"), E("D156N"), E("D162N"), E("D165N"), E("D172N"),
    E("D174N"), E("D205N"), E("D212N"), E("D223N"), E("D225N"), E("D226N"), E("D243N"), E("D244N"),
    E("D245N"), E("D246N"), E("D251N"), E("D252N"), E("D255N"), E("D261N"), E("D263N"), E("D265N"),
    E("D266N"), E("D271N"), E("D274N"), E("D306N"), E("D311N"), E("D315N"), E("D325N"), E("D331N"),
    E("D332N"), E("D343N"), E("D346N"), E("D351N"), E("D356N"), E("D364N"), E("D365N"), E("D371N"),
    E("D411N"), E("D412N"), E("D413N"), E("D423N"), E("D431N"), E("D432N"), E("D445N"), E("D446N"),
    E("D452N"), E("D454N"), E("D455N"), E("D462N"), E("D464N"), E("D465N"), E("D466N"), E("D503N"),
    E("D506N"), E("D516N"), E("D523N"), E("D526N"), E("D532N"), E("D546N"), E("D565N"), E("D606N"),
    E("D612N"), E("D624N"), E("D627N"), E("D631N"), E("D632N"), E("D654N"), E("D662N"), E("D664N"),
    E("D703N"), E("D712N"), E("D723N"), E("D731N"), E("D732N"), E("D734N"), E("D743N"), E("D754N"),
    E("D777N"),
}};

const std::array<ToneEntry, 105> DcsInvertedTable{{
    E("D023I"), E("D025I"), E("D026I"), E("D031I"), E("D032I"), E("D036I"), E("D043I"), E("D047I"),
    E("D051I"), E("D053I"), E("D054I"), E("D065I"), E("D071I"), E("D072I"), E("D073I"), E("D074I"),
    E("D114I"), E("D115I"), E("D116I"), E("D122I"), E("D125I"), E("D131I"), E("D132I"), E("D134I"),
    E("D143I"), E("D145I"), E("D152I"), E("D155I"), E("D156I"), E("D162I"), E("D165I"), E("D172I"),
    E("D174I"), E("D205I"), E("D212I"), E("D223I"), E("D225I"), E("D226I"), E("D243I"), E("D244I"),
    E("D245I"), E("D246I"), E("D251I"), E("D252I"), E("D255I"), E("D261I"), E("D263I"), E("D265I"),
    E("D266I"), E("D271I"), E("D274I"), E("D306I"), E("D311I"), E("D315I"), E("D325I"), E("D331I"),
    E("D332I"), E("D343I"), E("D346I"), E("D351I"), E("D356I"), E("D364I"), E("D365I"), E("D371I"),
    E("D411I"), E("D412I"), E("D413I"), E("D423I"), E("D431I"), E("D432I"), E("D445I"), E("D446I"),
    E("D452I"), E("D454I"), E("D455I"), E("D462I"), E("D464I"), E("D465I"), E("D466I"), E("D503I"),
    E("D506I"), E("D516I"), E("D523I"), E("D526I"), E("D532I"), E("D546I"), E("D565I"), E("D606I"),
    E("D612I"), E("D624I"), E("D627I"), E("D631I"), E("D632I"), E("D654I"), E("D662I"), E("D664I"),
    E("D703I"), E("D712I"), E("D723I"), E("D731I"), E("D732I"), E("D734I"), E("D743I"), E("D754I"),
    E("D777I"),
}};

} // namespace orvik
