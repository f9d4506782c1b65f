#include "model/vocabulary.h"

namespace vexil {

const QStringList& StipulationVocabulary()
{
    static const QStringList list = {
        "#2", "#3", "#4", "H#2", "H#3", "H#4", "S#2", "S#3", "S#4", "ser-a=>b", "win", "draw",
    };
    return list;
}

const QStringList& SourceVocabulary()
{
    static const QStringList list = {
        "original", "64", "American Chess Bulletin", "Arbejder Skak", "Best Problems",
        "British Chess Federation", "British Chess Magazine", "British Chess Problem Society",
        "Buletin Problemistic", "Ceskoslovenski Sach", "Chess", "Chess in Israel", "Chess Life",
        "Chess Review", "Chess Strategie", "Dagbladet", "Deutsche Schachzeitung", "Diagrammes",
        "Die Schwalbe", "Die Welt", "Europe Echecs", "feenschach", "FIDE Tournament",
        "Freie Presse", "Gazeta Czestochowska", "Good Companion", "harmonie", "Het Parol",
        "Hlas Ludu", "idee & form", "Il Problema", "Jaarboek N.B. v P.", "L'Echiquier",
        "L'Italia Scacchistica", "La Cle", "La Strategie", "Leipziger Ill. Zeitung",
        "Le Probleme", "Magadaganski Komsomolets", "Magasinet", "Magyar Sakkelet",
        "Magyar Sakkvilag", "Main Post", "Mat", "Memorial Tournament", "Narodni Politika",
        "National Championship", "Neue Leipziger Zeitung", "Olympic Tournament",
        QStringLiteral("Österreichische Schachzeitung"), "Parallele 50", "Pat", "Pat a Mat",
        "Phenix", "Probleemblad", "Problem", "Problemas", "Probleme", "Problemista",
        "Problemkiste", "Problemnoter", "Quartz", "Revista Romana de Sah",
        "Revue Suisse d'Echecs", "Rex Multiplex", "Ring Tournament", "Sachsische Zeitung",
        "Sahovski Vjesnik", "Sahs", "Scacco !", "Schaakend Nederland", "Schach", "Schach Aktiv",
        "Schach Echo", "Schachmagazine", "Schachzeitung", "Schweizer Schach-Magazin",
        "Schweizerische Schachzeitung", "Shakhmatny Listok", "Shakhmaty v SSSR",
        "Sinfonie Scacchistiche", "Skakbladet", "Sportowiec", "Springaren", "Stella Polaris",
        "StrateGems", "Suomen Shakki", QStringLiteral("Suomen Tehtäväniekat"), "Swiat Szachowy",
        "Szachy", "Team Championship", "The Macedonian Problemist", "The Problemist",
        "The Ural Problemist", "Thema Danicum", "Thematic Tournament", "Themes 64",
        "Tijdschrift vd. KNSB", QStringLiteral("Tidskrift för Schack"), "Urania", "WCCT",
        "Variantim", "Warszawskie Kolo Problemistow", "Wiener Schachzeitung", "Wola Gulowska",
        "Zadatschi y Etjudi",
    };
    return list;
}

const QStringList& ConditionVocabulary()
{
    static const QStringList list = {
        "ActuatedRevolvingBoard", "ActuatedRevolvingCentre", "AlphabeticChess", "AMU",
        "AndernachChess", "AnnanChess", "AntiAndernachChess", "AntiCirce", "AntiEinsteinChess",
        "AntiKings", "Antikoeko", "AntiMarsAntipodeanCirce", "AntiMarsCirce",
        "AntiMarsMirrorCirce", "AntipodenAntiCirce", "AntipodenCirce", "AntipodenImmunChess",
        "AntiSuperCirce", "AprilChess", "BGL", "BichromChess", "Bicolores", "BiHeffalumps",
        "BiWoozles", "BlackAntiSynchronMover", "BlackChecks", "BlackConsequentForcedSquare",
        "BlackEdgemover", "BlackFollowMyLeader", "BlackForcedSquare", "BlackMaximummer",
        "BlackMinimummer", "BlackMustCapture", "BlackOscillatingKings", "BlackPromSquares",
        "BlackReflectiveKing", "BlackRoyalSquare", "BlackSuperTransmutingKing",
        "BlackSynchronMover", "BlackToPlay", "BlackTransmutedKing", "BlackUltraSchachZwang",
        "BlackVaultingKing", "BrunnerChess", "CastlingChess", "CavalierMajeur", "CentralChess",
        "ChameleonChess", "ChameleonCirce", "ChameleonPursuit", "ChecklessChess",
        "ChineseChess", "Circe", "CirceAssassin", "CirceClone", "CirceDoubleAgents",
        "CirceTurncoats", "ContactGridChess", "CouscousCirce", "DiagramAntiCirce",
        "DiagramCirce", "DiagramImmunChess", "DiametralCirce", "DoubleTibet", "DuellistChess",
        "Duplex", "EiffelChess", "EinsteinChess", "EquipollentsAntiCirce", "EquipollentsCirce",
        "EquipollentsImmunChess", "ExclusiveChess", "ExtinctionChess", "FileAntiCirce",
        "FileCirce", "FileImmunChess", "FrischaufCirce", "FunctionaryChess", "GenevaChess",
        "GhostChess", "GlasgowChess", "GridChess", "HaanerChess", "Heffalumps", "Hole",
        "Hypervolage", "Imitator", "ImmunChess", "Isardam", "KoeKo", "Leofamily",
        "LineChameleonChess", "Lortap", "LosingChess", "Madrasi", "MAFF", "MagicSquares",
        "Marscirce", "MarsMirrorCirce", "Masand", "Maximummer", "MessignyChess",
        "MirrorAntiCirce", "MirrorCirce", "MirrorCirceClone", "MirrorCouscousCirce",
        "MirrorFileCirce", "MirrorFileImmunChess", "MirrorImmunChess", "MonochromChess",
        "NewKoeko", "NoBlackCapture", "NoBlackPromotion", "NoCapture", "NoIProm", "NormalPawn",
        "NorskSjakk", "NoWhiteCapture", "NoWhitePromotion", "OWU", "ParrainCirce", "Patrouille",
        "PhantomChess", "PlusChess", "PromOnly", "ProteanChess", "PWC", "ReflectiveKings",
        "RelegationChess", "RepublicanChess", "ReversalEinsteinChess", "RexInclusiv",
        "RoyalDynasty", "SAT", "Sentinelles", "ShieldedKings", "SingleBox", "StingChess",
        "StrictSAT", "SuperCirce", "SwappingKings", "SymmetryAntiCirce", "SymmetryCirce",
        "SymmetryImmunChess", "Take&MakeChess", "Tibet", "TraitorChess", "TransmutedKings",
        "UltraPatrol", "UltraSchachZwang", "VaultingKings", "VerticalMirrorCirce",
        "VogtlaenderChess", "Volage", "WhiteAntiSynchronMover", "WhiteConsequentForcedSquare",
        "WhiteEdgemover", "WhiteFollowMyLeader", "WhiteForcedSquare", "WhiteMaximummer",
        "WhiteMinimummer", "WhiteMustCapture", "WhiteOscillatingKings", "WhitePromSquares",
        "WhiteReflectiveKing", "WhiteRoyalSquare", "WhiteSuperTransmutingKing",
        "WhiteSynchronMover", "WhiteToPlay", "WhiteTransmutedKing", "WhiteUltraSchachZwang",
        "WhiteVaultingKing", "Woozles",
    };
    return list;
}

const QStringList& TwinTemplates()
{
    static const QStringList list = {
        "Twin  Move <square1> <square2>",
        "Twin  Exchange <square1> <square2>",
        "Twin  Remove <square>",
        "Twin  Substitute <piece1> <piece2>",
        "Twin  Add <colour> <piecespecs> <type><fieldlist>",
        "Twin  Rotate <n>",
        "Twin  Shift <square1> <square2>",
        "Twin  PolishType",
        "Twin Stipulation ...",
        "Twin Condition ...",
        "Twin AfterKey",
        "Twin Mirror a1<-->h1",
        "Twin Mirror a1<-->a8",
        "Twin Mirror a1<-->h8",
        "Twin Mirror h1<-->a8",
        "Twin Cont  Move <square1> <square2>",
        "Twin Cont  Exchange <square1> <square2>",
        "Twin Cont  Remove <square>",
        "Twin Cont  Substitute <piece1> <piece2>",
        "Twin Cont  Add <colour> <piecespecs> <type><fieldlist>",
        "Twin Cont  Rotate <n>",
        "Twin Cont  Shift <square1> <square2>",
        "Twin Cont  PolishType",
        "Twin Cont Stipulation ...",
        "Twin Cont Condition ...",
        "Twin Cont AfterKey",
        "Twin Cont Mirror a1<-->h1",
        "Twin Cont Mirror a1<-->a8",
        "Twin Cont Mirror a1<-->h8",
        "Twin Cont Mirror h1<-->a8",
        "Zero  Move <square1> <square2>",
        "Zero  Exchange <square1> <square2>",
        "Zero  Remove <square>",
        "Zero  Substitute <piece1> <piece2>",
        "Zero  Add <colour> <piecespecs> <type><fieldlist>",
        "Zero  Rotate <n>",
        "Zero  Shift <square1> <square2>",
        "Zero Stipulation ...",
        "Zero Condition ...",
        "Zero Mirror a1<-->h1",
        "Zero Mirror a1<-->a8",
        "Zero Mirror a1<-->h8",
        "Zero Mirror h1<-->a8",
    };
    return list;
}

} // namespace vexil
