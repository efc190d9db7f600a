// The sample catalogue that a fresh installation can start with: real films, summaries in
// our own words, a few prices, marks and multi-tape sets, and some home recordings.
#include "catalogue.h"

#include "cp1252.h"
#include "record.h"
#include "table.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace rk::catalogue {

namespace {

struct SampleTitle {
    const char* title;
    const char* category;
    const char* format;
    const char* runtime;
    const char* rated;
    const char* rating;
    const char* year;
    const char* director;
    const char* producer;
    const char* stars[4];
    const char* summary;
    const char* price;
    const char* picture; // "Color" or "B&W"
    const char* sound;
    const char* content;
    int tapes; // more than 1: a multi-set
    bool marked;
    const char* location; // first user field
};

// clang-format off
const SampleTitle kTitles[] = {
{"Casablanca", "Drama", "VHS", "1:42", "PG", "Excellent", "1942", "Michael Curtiz", "Hal B. Wallis",
 {"Humphrey Bogart", "Ingrid Bergman", "Paul Henreid", "Claude Rains"},
 "A cynical nightclub owner in wartime Morocco must choose between the woman he once loved and helping her husband escape the Nazis.",
 "19.95", "B&W", "Mono", "Movie", 1, true, "Shelf A1"},
{"The Wizard of Oz", "Family", "VHS", "1:42", "G", "Excellent", "1939", "Victor Fleming", "Mervyn LeRoy",
 {"Judy Garland", "Frank Morgan", "Ray Bolger", "Bert Lahr"},
 "Carried off by a tornado, a Kansas farm girl follows a yellow brick road with three odd companions in search of a way home.",
 "14.98", "Color", "Mono", "Movie", 1, false, "Shelf A1"},
{"Citizen Kane", "Drama", "Laser Disc (CAV)", "1:59", "PG", "Excellent", "1941", "Orson Welles", "Orson Welles",
 {"Orson Welles", "Joseph Cotten", "Dorothy Comingore", "Agnes Moorehead"},
 "A reporter pieces together the life of a newspaper magnate from the people who knew him, chasing the meaning of his dying word.",
 "39.95", "B&W", "Mono", "Movie", 2, false, "Laser shelf"},
{"Singin' in the Rain", "Musical", "VHS", "1:43", "G", "Excellent", "1952", "Stanley Donen, Gene Kelly", "Arthur Freed",
 {"Gene Kelly", "Donald O'Connor", "Debbie Reynolds", "Jean Hagen"},
 "Hollywood's switch to talking pictures threatens a silent star whose co-star's voice could sink them both.",
 "", "Color", "Hi-Fi", "Movie", 1, false, "Shelf A2"},
{"Star Wars", "Science Fiction", "VHS", "2:01", "PG", "Excellent", "1977", "George Lucas", "Gary Kurtz",
 {"Mark Hamill", "Harrison Ford", "Carrie Fisher", "Alec Guinness"},
 "A farm boy joins a smuggler, an old knight and a captured princess against an empire and its planet-destroying battle station.",
 "19.98", "Color", "Hi-Fi", "Movie", 1, true, "Shelf B1"},
{"The Empire Strikes Back", "Science Fiction", "VHS", "2:04", "PG", "Excellent", "1980", "Irvin Kershner", "Gary Kurtz",
 {"Mark Hamill", "Harrison Ford", "Carrie Fisher", "Billy Dee Williams"},
 "The rebels scatter after an attack on their ice base while a young pilot seeks training from a hermit master.",
 "19.98", "Color", "Hi-Fi", "Movie", 1, true, "Shelf B1"},
{"Return of the Jedi", "Science Fiction", "VHS", "2:11", "PG", "Good", "1983", "Richard Marquand", "Howard Kazanjian",
 {"Mark Hamill", "Harrison Ford", "Carrie Fisher", "Billy Dee Williams"},
 "The rebel fleet gambles everything on an attack on a second battle station while a son confronts his father.",
 "19.98", "Color", "Hi-Fi", "Movie", 1, false, "Shelf B1"},
{"Raiders of the Lost Ark", "Adventure", "VHS", "1:55", "PG", "Excellent", "1981", "Steven Spielberg", "Frank Marshall",
 {"Harrison Ford", "Karen Allen", "Paul Freeman", "John Rhys-Davies"},
 "An archaeologist races agents of the Third Reich across continents to find a legendary relic before they can use it.",
 "14.95", "Color", "Hi-Fi", "Movie", 1, false, "Shelf B2"},
{"E.T. the Extra-Terrestrial", "Family", "VHS", "1:55", "PG", "Excellent", "1982", "Steven Spielberg", "Kathleen Kennedy",
 {"Henry Thomas", "Dee Wallace", "Drew Barrymore", "Robert MacNaughton"},
 "A lonely boy hides a stranded visitor from another world and helps him find a way to call home.",
 "24.95", "Color", "Hi-Fi", "Movie", 1, false, "Shelf A1"},
{"Jaws", "Thriller", "VHS", "2:04", "PG", "Good", "1975", "Steven Spielberg", "Richard D. Zanuck, David Brown",
 {"Roy Scheider", "Robert Shaw", "Richard Dreyfuss", "Lorraine Gary"},
 "A beach town's police chief, a young scientist and a grizzled fisherman hunt a great white shark that is terrorising the summer crowds.",
 "12.98", "Color", "Mono", "Movie", 1, false, "Shelf C1"},
{"Close Encounters of the Third Kind", "Science Fiction", "Laser Disc (CLV)", "2:15", "PG", "Good", "1977", "Steven Spielberg", "Julia Phillips, Michael Phillips",
 {"Richard Dreyfuss", "Fran\xC3\xA7ois Truffaut", "Teri Garr", "Melinda Dillon"},
 "After a strange night encounter, a line worker becomes obsessed with a shape in his mind that leads him to a remote mountain.",
 "34.98", "Color", "Stereo", "Movie", 1, false, "Laser shelf"},
{"The Godfather", "Drama", "VHS", "2:55", "R", "Excellent", "1972", "Francis Ford Coppola", "Albert S. Ruddy",
 {"Marlon Brando", "Al Pacino", "James Caan", "Robert Duvall"},
 "The youngest son of a New York crime family is drawn, step by step, into the business he wanted no part of.",
 "29.95", "Color", "Mono", "Movie", 2, true, "Shelf D1"},
{"The Godfather Part II", "Drama", "VHS", "3:22", "R", "Excellent", "1974", "Francis Ford Coppola", "Francis Ford Coppola",
 {"Al Pacino", "Robert De Niro", "Robert Duvall", "Diane Keaton"},
 "A new head of the family consolidates his power while the story of his father's arrival in America unfolds in parallel.",
 "29.95", "Color", "Mono", "Movie", 2, false, "Shelf D1"},
{"Apocalypse Now", "War", "VHS", "2:33", "R", "Good", "1979", "Francis Ford Coppola", "Francis Ford Coppola",
 {"Martin Sheen", "Marlon Brando", "Robert Duvall", "Frederic Forrest"},
 "An army captain travels upriver through the Vietnam war to find and end the command of a colonel gone rogue.",
 "", "Color", "Stereo", "Movie", 1, false, "Shelf D2"},
{"Lawrence of Arabia", "Adventure", "Laser Disc (CLV)", "3:42", "PG", "Excellent", "1962", "David Lean", "Sam Spiegel",
 {"Peter O'Toole", "Alec Guinness", "Anthony Quinn", "Omar Sharif"},
 "A restless British officer unites desert tribes against the Ottoman Turks and is changed by the war he helps to lead.",
 "49.95", "Color", "Stereo", "Movie", 3, true, "Laser shelf"},
{"The Bridge on the River Kwai", "War", "VHS", "2:41", "PG", "Good", "1957", "David Lean", "Sam Spiegel",
 {"William Holden", "Alec Guinness", "Jack Hawkins", "Sessue Hayakawa"},
 "Prisoners of war in Burma build a railway bridge for their captors, led by a colonel whose pride blinds him to its purpose.",
 "", "Color", "Mono", "Movie", 1, false, "Shelf D2"},
{"Doctor Zhivago", "Romance", "VHS", "3:17", "PG-13", "Good", "1965", "David Lean", "Carlo Ponti",
 {"Omar Sharif", "Julie Christie", "Geraldine Chaplin", "Rod Steiger"},
 "A physician and poet is swept through the Russian revolution and civil war, torn between his wife and the woman he loves.",
 "24.98", "Color", "Stereo", "Movie", 2, false, "Shelf E1"},
{"Psycho", "Horror", "VHS", "1:49", "R", "Excellent", "1960", "Alfred Hitchcock", "Alfred Hitchcock",
 {"Anthony Perkins", "Janet Leigh", "Vera Miles", "John Gavin"},
 "A secretary on the run with stolen money stops for the night at a lonely motel run by a shy young man and his mother.",
 "14.98", "B&W", "Mono", "Movie", 1, false, "Shelf C2"},
{"Vertigo", "Mystery", "VHS", "2:08", "PG", "Excellent", "1958", "Alfred Hitchcock", "Alfred Hitchcock",
 {"James Stewart", "Kim Novak", "Barbara Bel Geddes", "Tom Helmore"},
 "A retired detective with a fear of heights is hired to follow an old friend's wife and falls dangerously in love.",
 "14.98", "Color", "Mono", "Movie", 1, false, "Shelf C2"},
{"North by Northwest", "Thriller", "VHS", "2:16", "NR", "Excellent", "1959", "Alfred Hitchcock", "Alfred Hitchcock",
 {"Cary Grant", "Eva Marie Saint", "James Mason", "Martin Landau"},
 "A New York advertising man mistaken for a government agent is chased across the country by spies and the police alike.",
 "19.98", "Color", "Mono", "Movie", 1, false, "Shelf C2"},
{"Rear Window", "Mystery", "VHS", "1:52", "PG", "Good", "1954", "Alfred Hitchcock", "Alfred Hitchcock",
 {"James Stewart", "Grace Kelly", "Wendell Corey", "Thelma Ritter"},
 "Laid up with a broken leg, a photographer watches his neighbours through the window and becomes convinced one of them is a murderer.",
 "", "Color", "Mono", "Movie", 1, false, "Shelf C2"},
{"It's a Wonderful Life", "Drama", "VHS", "2:10", "PG", "Excellent", "1946", "Frank Capra", "Frank Capra",
 {"James Stewart", "Donna Reed", "Lionel Barrymore", "Thomas Mitchell"},
 "On the edge of despair one Christmas Eve, a small-town banker is shown what his town would have been without him.",
 "9.99", "B&W", "Mono", "Movie", 1, true, "Shelf A1"},
{"Some Like It Hot", "Comedy", "VHS", "2:01", "NR", "Excellent", "1959", "Billy Wilder", "Billy Wilder",
 {"Marilyn Monroe", "Tony Curtis", "Jack Lemmon", "George Raft"},
 "Two musicians who witnessed a gangland killing hide from the mob by joining an all-women band bound for Florida.",
 "", "B&W", "Mono", "Movie", 1, false, "Shelf F1"},
{"The Apartment", "Comedy", "VHS", "2:05", "NR", "Good", "1960", "Billy Wilder", "Billy Wilder",
 {"Jack Lemmon", "Shirley MacLaine", "Fred MacMurray", "Ray Walston"},
 "An insurance clerk lends his flat to his bosses for their affairs and falls for the elevator operator who is seeing one of them.",
 "", "B&W", "Mono", "Movie", 1, false, "Shelf F1"},
{"Sunset Boulevard", "Drama", "VHS", "1:50", "NR", "Excellent", "1950", "Billy Wilder", "Charles Brackett",
 {"William Holden", "Gloria Swanson", "Erich von Stroheim", "Nancy Olson"},
 "A struggling screenwriter is drawn into the decaying mansion and delusions of a forgotten silent film star.",
 "", "B&W", "Mono", "Movie", 1, false, "Shelf E2"},
{"Dr. Strangelove", "Comedy", "VHS", "1:35", "PG", "Excellent", "1964", "Stanley Kubrick", "Stanley Kubrick",
 {"Peter Sellers", "George C. Scott", "Sterling Hayden", "Keenan Wynn"},
 "A deranged general launches a nuclear strike and the war room scrambles, absurdly, to recall the bombers.",
 "14.95", "B&W", "Mono", "Movie", 1, false, "Shelf F1"},
{"2001: A Space Odyssey", "Science Fiction", "Laser Disc (CAV)", "2:29", "G", "Excellent", "1968", "Stanley Kubrick", "Stanley Kubrick",
 {"Keir Dullea", "Gary Lockwood", "William Sylvester", "Douglas Rain"},
 "From the dawn of man to a mission to Jupiter, a mysterious black monolith marks each leap, while the ship's computer turns on its crew.",
 "44.95", "Color", "Stereo", "Movie", 2, false, "Laser shelf"},
{"The Shining", "Horror", "VHS", "2:24", "R", "Good", "1980", "Stanley Kubrick", "Stanley Kubrick",
 {"Jack Nicholson", "Shelley Duvall", "Danny Lloyd", "Scatman Crothers"},
 "A writer takes a winter caretaker's job at an isolated mountain hotel, and the place slowly takes hold of him.",
 "", "Color", "Mono", "Movie", 1, false, "Shelf C1"},
{"One Flew Over the Cuckoo's Nest", "Drama", "VHS", "2:13", "R", "Excellent", "1975", "Milo\xC5\xA1 Forman", "Saul Zaentz, Michael Douglas",
 {"Jack Nicholson", "Louise Fletcher", "Will Sampson", "Danny DeVito"},
 "A rebellious convict feigns madness to serve his time in a mental hospital and clashes with its iron-willed head nurse.",
 "", "Color", "Mono", "Movie", 1, false, "Shelf E2"},
{"Amadeus", "Drama", "VHS", "2:40", "PG", "Excellent", "1984", "Milo\xC5\xA1 Forman", "Saul Zaentz",
 {"F. Murray Abraham", "Tom Hulce", "Elizabeth Berridge", "Jeffrey Jones"},
 "An aging court composer confesses how his envy of a brilliant, vulgar young Mozart drove him to ruin him.",
 "24.98", "Color", "Hi-Fi", "Movie", 2, false, "Shelf E2"},
{"Rocky", "Drama", "VHS", "2:00", "PG", "Good", "1976", "John G. Avildsen", "Irwin Winkler, Robert Chartoff",
 {"Sylvester Stallone", "Talia Shire", "Burt Young", "Carl Weathers"},
 "A small-time Philadelphia boxer gets a shot at the heavyweight title and sets out simply to go the distance.",
 "9.99", "Color", "Mono", "Movie", 1, false, "Shelf D3"},
{"Annie Hall", "Comedy", "VHS", "1:33", "PG", "Good", "1977", "Woody Allen", "Charles H. Joffe",
 {"Woody Allen", "Diane Keaton", "Tony Roberts", "Carol Kane"},
 "A neurotic comedian looks back over the rise and fall of his romance with an aspiring singer.",
 "", "Color", "Mono", "Movie", 1, false, "Shelf F1"},
{"Alien", "Horror", "VHS", "1:57", "R", "Excellent", "1979", "Ridley Scott", "Gordon Carroll, David Giler, Walter Hill",
 {"Sigourney Weaver", "Tom Skerritt", "John Hurt", "Ian Holm"},
 "The crew of a space freighter answers a distress call and brings aboard a creature that hunts them one by one.",
 "14.98", "Color", "Stereo", "Movie", 1, false, "Shelf C1"},
{"Blade Runner", "Science Fiction", "VHS", "1:57", "R", "Excellent", "1982", "Ridley Scott", "Michael Deeley",
 {"Harrison Ford", "Rutger Hauer", "Sean Young", "Daryl Hannah"},
 "In a rain-soaked future Los Angeles, a weary detective hunts down escaped artificial humans who want more life.",
 "19.98", "Color", "Hi-Fi", "Movie", 1, false, "Shelf B2"},
{"The Terminator", "Action", "VHS", "1:47", "R", "Good", "1984", "James Cameron", "Gale Anne Hurd",
 {"Arnold Schwarzenegger", "Michael Biehn", "Linda Hamilton", "Paul Winfield"},
 "A killing machine from the future comes for a young waitress, and a lone soldier follows it back in time to protect her.",
 "9.98", "Color", "Stereo", "Movie", 1, false, "Shelf G1"},
{"Aliens", "Action", "VHS", "2:17", "R", "Excellent", "1986", "James Cameron", "Gale Anne Hurd",
 {"Sigourney Weaver", "Michael Biehn", "Paul Reiser", "Lance Henriksen"},
 "The lone survivor of a deadly encounter returns to the creatures' planet with a squad of marines after a colony goes silent.",
 "14.98", "Color", "Hi-Fi", "Movie", 1, false, "Shelf G1"},
{"Terminator 2: Judgment Day", "Action", "Laser Disc (CLV)", "2:17", "R", "Excellent", "1991", "James Cameron", "James Cameron",
 {"Arnold Schwarzenegger", "Linda Hamilton", "Edward Furlong", "Robert Patrick"},
 "A reprogrammed cyborg protects a boy who will one day lead humanity, against a newer machine made of liquid metal.",
 "39.98", "Color", "Stereo", "Movie", 2, false, "Laser shelf"},
{"Back to the Future", "Comedy", "VHS", "1:56", "PG", "Excellent", "1985", "Robert Zemeckis", "Bob Gale, Neil Canton",
 {"Michael J. Fox", "Christopher Lloyd", "Lea Thompson", "Crispin Glover"},
 "A teenager sent thirty years into the past in a time-travelling car must make sure his parents still fall in love.",
 "14.95", "Color", "Hi-Fi", "Movie", 1, true, "Shelf F2"},
{"Ghostbusters", "Comedy", "VHS", "1:45", "PG", "Good", "1984", "Ivan Reitman", "Ivan Reitman",
 {"Bill Murray", "Dan Aykroyd", "Sigourney Weaver", "Harold Ramis"},
 "Three out-of-work parapsychologists set up a ghost removal business just as New York faces a supernatural invasion.",
 "", "Color", "Hi-Fi", "Movie", 1, false, "Shelf F2"},
{"Die Hard", "Action", "VHS", "2:12", "R", "Excellent", "1988", "John McTiernan", "Lawrence Gordon, Joel Silver",
 {"Bruce Willis", "Alan Rickman", "Bonnie Bedelia", "Reginald VelJohnson"},
 "A New York cop visiting his wife's office party is the only one free to fight back when thieves seize the skyscraper.",
 "14.98", "Color", "Hi-Fi", "Movie", 1, false, "Shelf G1"},
{"The Princess Bride", "Adventure", "VHS", "1:38", "PG", "Excellent", "1987", "Rob Reiner", "Andrew Scheinman, Rob Reiner",
 {"Cary Elwes", "Robin Wright", "Mandy Patinkin", "Chris Sarandon"},
 "A grandfather reads a tale of true love, a masked swordsman, a giant and a Spaniard seeking revenge for his father.",
 "12.50", "Color", "Hi-Fi", "Movie", 1, true, "Shelf B2"},
{"Beauty and the Beast", "Animation", "VHS", "1:24", "G", "Excellent", "1991", "Gary Trousdale, Kirk Wise", "Don Hahn",
 {"Paige O'Hara", "Robby Benson", "Jerry Orbach", "Angela Lansbury"},
 "A bookish young woman takes her father's place as prisoner of a cursed prince, whose enchanted castle staff hope she can break the spell.",
 "24.99", "Color", "Hi-Fi", "Movie", 1, false, "Kids shelf"},
{"The Lion King", "Animation", "VHS", "1:28", "G", "Excellent", "1994", "Roger Allers, Rob Minkoff", "Don Hahn",
 {"Matthew Broderick", "James Earl Jones", "Jeremy Irons", "Nathan Lane"},
 "A lion cub flees his kingdom after his father's death and must return as a grown king to face his treacherous uncle.",
 "26.99", "Color", "Hi-Fi", "Movie", 1, false, "Kids shelf"},
{"Snow White and the Seven Dwarfs", "Animation", "VHS", "1:23", "G", "Good", "1937", "David Hand", "Walt Disney",
 {"Adriana Caselotti", "Harry Stockwell", "Lucille La Verne", "Pinto Colvig"},
 "A princess hiding from her jealous stepmother finds shelter with seven miners in the forest.",
 "", "Color", "Mono", "Movie", 1, false, "Kids shelf"},
{"Toy Story", "Animation", "VHS", "1:21", "G", "Excellent", "1995", "John Lasseter", "Ralph Guggenheim, Bonnie Arnold",
 {"Tom Hanks", "Tim Allen", "Don Rickles", "Wallace Shawn"},
 "A pull-string cowboy doll feels replaced when a boastful space ranger toy arrives, until both are lost far from home.",
 "22.99", "Color", "Hi-Fi", "Movie", 1, false, "Kids shelf"},
{"Forrest Gump", "Drama", "VHS", "2:22", "PG-13", "Good", "1994", "Robert Zemeckis", "Wendy Finerman, Steve Tisch, Steve Starkey",
 {"Tom Hanks", "Robin Wright", "Gary Sinise", "Sally Field"},
 "A kind man of simple mind drifts through three decades of American history while longing for his childhood friend.",
 "", "Color", "Hi-Fi", "Movie", 1, false, "Shelf E1"},
{"Schindler's List", "Drama", "VHS", "3:15", "R", "Excellent", "1993", "Steven Spielberg", "Steven Spielberg, Gerald R. Molen, Branko Lustig",
 {"Liam Neeson", "Ben Kingsley", "Ralph Fiennes", "Embeth Davidtz"},
 "A German businessman in occupied Poland turns his factory into a refuge that saves more than a thousand Jewish workers.",
 "29.98", "B&W", "Hi-Fi", "Movie", 2, false, "Shelf E1"},
{"The Silence of the Lambs", "Thriller", "VHS", "1:58", "R", "Excellent", "1991", "Jonathan Demme", "Edward Saxon, Kenneth Utt, Ron Bozman",
 {"Jodie Foster", "Anthony Hopkins", "Scott Glenn", "Ted Levine"},
 "A trainee FBI agent seeks the help of an imprisoned, brilliant killer to catch another who is still at large.",
 "", "Color", "Hi-Fi", "Movie", 1, false, "Shelf C1"},
{"Fargo", "Thriller", "VHS", "1:38", "R", "Good", "1996", "Joel Coen", "Ethan Coen",
 {"Frances McDormand", "William H. Macy", "Steve Buscemi", "Peter Stormare"},
 "A car salesman's scheme to have his wife kidnapped goes badly wrong, and a very pregnant small-town police chief follows the trail.",
 "", "Color", "Hi-Fi", "Movie", 1, false, "Shelf C1"},
{"Pulp Fiction", "Thriller", "VHS", "2:34", "R", "Good", "1994", "Quentin Tarantino", "Lawrence Bender",
 {"John Travolta", "Samuel L. Jackson", "Uma Thurman", "Bruce Willis"},
 "Hit men, a boxer, a gangster's wife and a pair of diner robbers cross paths in interlocking Los Angeles stories.",
 "", "Color", "Hi-Fi", "Movie", 1, false, "Shelf G2"},
{"The Shawshank Redemption", "Drama", "VHS", "2:22", "R", "Excellent", "1994", "Frank Darabont", "Niki Marvin",
 {"Tim Robbins", "Morgan Freeman", "Bob Gunton", "William Sadler"},
 "A banker sentenced for a murder he says he did not commit keeps his hope alive through two decades in prison.",
 "19.98", "Color", "Hi-Fi", "Movie", 1, true, "Shelf E1"},
{"Titanic", "Romance", "VHS", "3:14", "PG-13", "Good", "1997", "James Cameron", "James Cameron, Jon Landau",
 {"Leonardo DiCaprio", "Kate Winslet", "Billy Zane", "Kathy Bates"},
 "A penniless artist and an engaged young woman fall in love aboard the great liner on its only voyage.",
 "29.99", "Color", "Hi-Fi", "Movie", 2, false, "Shelf E3"},
{"Jurassic Park", "Adventure", "VHS", "2:07", "PG-13", "Good", "1993", "Steven Spielberg", "Kathleen Kennedy, Gerald R. Molen",
 {"Sam Neill", "Laura Dern", "Jeff Goldblum", "Richard Attenborough"},
 "Scientists invited to preview an island theme park of cloned dinosaurs are trapped when the power fails in a storm.",
 "24.98", "Color", "Hi-Fi", "Movie", 1, false, "Shelf B2"},
{"The Sound of Music", "Musical", "VHS", "2:54", "G", "Excellent", "1965", "Robert Wise", "Robert Wise",
 {"Julie Andrews", "Christopher Plummer", "Eleanor Parker", "Richard Haydn"},
 "A high-spirited novice becomes governess to a widowed naval captain's seven children in Austria on the eve of war.",
 "24.98", "Color", "Stereo", "Movie", 2, false, "Shelf A2"},
{"West Side Story", "Musical", "VHS", "2:33", "NR", "Good", "1961", "Robert Wise, Jerome Robbins", "Robert Wise",
 {"Natalie Wood", "Richard Beymer", "Rita Moreno", "George Chakiris"},
 "Two young lovers from rival street gangs on New York's West Side are caught in a feud that turns deadly.",
 "", "Color", "Stereo", "Movie", 1, false, "Shelf A2"},
{"Mary Poppins", "Family", "VHS", "2:19", "G", "Good", "1964", "Robert Stevenson", "Walt Disney",
 {"Julie Andrews", "Dick Van Dyke", "David Tomlinson", "Glynis Johns"},
 "A magical nanny arrives on the east wind to look after two neglected children in Edwardian London.",
 "", "Color", "Stereo", "Movie", 1, false, "Kids shelf"},
{"The Good, the Bad and the Ugly", "Western", "VHS", "2:41", "R", "Excellent", "1966", "Sergio Leone", "Alberto Grimaldi",
 {"Clint Eastwood", "Eli Wallach", "Lee Van Cleef", "Aldo Giuffr\xC3\xA8"},
 "Three gunmen play an uneasy game of alliance and betrayal in search of buried Confederate gold during the Civil War.",
 "", "Color", "Mono", "Movie", 1, false, "Shelf H1"},
{"High Noon", "Western", "VHS", "1:25", "NR", "Good", "1952", "Fred Zinnemann", "Stanley Kramer",
 {"Gary Cooper", "Grace Kelly", "Katy Jurado", "Lloyd Bridges"},
 "On his wedding day a town marshal learns that a killer he sent away is arriving on the noon train, and no one will stand with him.",
 "", "B&W", "Mono", "Movie", 1, false, "Shelf H1"},
{"Unforgiven", "Western", "VHS", "2:10", "R", "Excellent", "1992", "Clint Eastwood", "Clint Eastwood",
 {"Clint Eastwood", "Gene Hackman", "Morgan Freeman", "Richard Harris"},
 "A retired gunfighter turned hog farmer takes one last bounty job and finds he cannot escape who he was.",
 "19.98", "Color", "Hi-Fi", "Movie", 1, false, "Shelf H1"},
{"Butch Cassidy and the Sundance Kid", "Western", "VHS", "1:50", "PG", "Good", "1969", "George Roy Hill", "John Foreman",
 {"Paul Newman", "Robert Redford", "Katharine Ross", "Strother Martin"},
 "Two charming train robbers flee a relentless posse all the way to Bolivia.",
 "", "Color", "Mono", "Movie", 1, false, "Shelf H1"},
{"The Sting", "Comedy", "VHS", "2:09", "PG", "Good", "1973", "George Roy Hill", "Tony Bill, Michael Phillips, Julia Phillips",
 {"Paul Newman", "Robert Redford", "Robert Shaw", "Charles Durning"},
 "Two Depression-era grifters set up an elaborate con to ruin the racketeer who had their friend killed.",
 "", "Color", "Mono", "Movie", 1, false, "Shelf F2"},
{"Groundhog Day", "Comedy", "VHS", "1:41", "PG", "Excellent", "1993", "Harold Ramis", "Trevor Albert, Harold Ramis",
 {"Bill Murray", "Andie MacDowell", "Chris Elliott", "Stephen Tobolowsky"},
 "A sour TV weatherman finds himself living the same winter day in a small Pennsylvania town over and over again.",
 "7.5", "Color", "Hi-Fi", "Movie", 1, false, "Shelf F2"},
{"When Harry Met Sally...", "Romance", "VHS", "1:36", "R", "Good", "1989", "Rob Reiner", "Rob Reiner, Andrew Scheinman",
 {"Billy Crystal", "Meg Ryan", "Carrie Fisher", "Bruno Kirby"},
 "Over twelve years of chance meetings, two friends argue whether men and women can ever be just friends.",
 "", "Color", "Hi-Fi", "Movie", 1, false, "Shelf E3"},
{"Roman Holiday", "Romance", "VHS", "1:58", "NR", "Excellent", "1953", "William Wyler", "William Wyler",
 {"Gregory Peck", "Audrey Hepburn", "Eddie Albert", "Hartley Power"},
 "A runaway princess spends a day incognito in Rome with an American reporter who hopes to sell her story.",
 "", "B&W", "Mono", "Movie", 1, false, "Shelf E3"},
{"Ben-Hur", "Adventure", "Laser Disc (CLV)", "3:32", "G", "Good", "1959", "William Wyler", "Sam Zimbalist",
 {"Charlton Heston", "Jack Hawkins", "Haya Harareet", "Stephen Boyd"},
 "A Jewish prince betrayed into slavery by his Roman boyhood friend survives the galleys to face him in the chariot arena.",
 "49.98", "Color", "Stereo", "Movie", 3, false, "Laser shelf"},
{"Am\xC3\xA9lie", "Comedy", "SVHS", "2:02", "R", "Excellent", "2001", "Jean-Pierre Jeunet", "Claudie Ossard",
 {"Audrey Tautou", "Mathieu Kassovitz", "Rufus", "Jamel Debbouze"},
 "A shy Paris waitress secretly arranges small joys for the people around her while avoiding her own chance at love.",
 "22.50", "Color", "Hi-Fi", "Movie", 1, false, "Shelf F3"},
{"Das Boot", "War", "VHS", "2:29", "R", "Excellent", "1981", "Wolfgang Petersen", "G\xC3\xBCnter Rohrbach",
 {"J\xC3\xBCrgen Prochnow", "Herbert Gr\xC3\xB6nemeyer", "Klaus Wennemann", "Hubertus Bengsch"},
 "The crew of a German submarine endures the boredom, terror and crushing depths of a patrol in the Atlantic.",
 "", "Color", "Stereo", "Movie", 1, false, "Shelf D2"},
{"Seven Samurai", "Action", "VHS", "3:27", "NR", "Excellent", "1954", "Akira Kurosawa", "Sojiro Motoki",
 {"Toshiro Mifune", "Takashi Shimura", "Keiko Tsushima", "Yukiko Shimazaki"},
 "Farmers plagued by bandits hire seven masterless samurai to defend their village through the harvest.",
 "", "B&W", "Mono", "Movie", 2, false, "Shelf G2"},
{"The Twilight Zone - Volume 1", "Television", "VHS", "1:40", "NR", "Good", "1959", "Various", "Rod Serling",
 {"Rod Serling", "Burgess Meredith", "Inger Stevens", "Jack Klugman"},
 "Four episodes of the anthology series in which ordinary people step into the strange, the eerie and the unexplained.",
 "", "B&W", "Mono", "Television", 1, false, "TV shelf"},
{"Star Trek - The Menagerie", "Television", "VHS", "1:40", "NR", "Good", "1966", "Marc Daniels, Robert Butler", "Gene Roddenberry",
 {"William Shatner", "Leonard Nimoy", "Jeffrey Hunter", "DeForest Kelley"},
 "Spock hijacks the Enterprise to take his crippled former captain to a forbidden planet, and stands trial on the way.",
 "", "Color", "Mono", "Television", 1, false, "TV shelf"},
{"Summer at the Lake 1996", "Home Movies", "Hi8", "0:45", "N/A", "Good", "1996", "", "",
 {"", "", "", ""},
 "Swimming, the canoe race and the fireworks at the cabin, copied from the camcorder tapes.",
 "", "Color", "Stereo", "Home Video", 1, false, "Cabinet"},
{"Grandma's 80th Birthday", "Home Movies", "VHS", "1:10", "N/A", "Excellent", "1998", "", "",
 {"", "", "", ""},
 "The surprise party in the garden, the speeches and the cake, with everyone singing.",
 "", "Color", "Stereo", "Home Video", 1, true, "Cabinet"},
};
// clang-format on

Status set(std::string& img, const dbf::FieldDef& f, const char* utf8) {
    auto text = cp1252::fromUtf8(utf8);
    if (!text) return text.status();
    return dbf::setFromText(img, f, *text);
}

} // namespace

Status createSample(const std::string& dir, Env* env) {
    RK_RETURN_IF_ERROR(createEmpty(dir, env));
    store::Table titles(findFileNoCase(dir, kTitlesFile), {}, env);
    RK_RETURN_IF_ERROR(titles.open());
    // One batch per table: the titles and the categories reach stable storage once each.
    store::Batch titlesBatch(titles);
    RK_RETURN_IF_ERROR(titlesBatch.status());
    auto F = [&](const char* name) { return *titles.field(name); };
    std::vector<std::string> categories;
    int n = 0;
    for (const auto& t : kTitles) {
        ++n;
        std::string img = titles.dbf()->blankRecord();
        RK_RETURN_IF_ERROR(set(img, F("TITLE"), t.title));
        RK_RETURN_IF_ERROR(set(img, F("CATEGORY"), t.category));
        RK_RETURN_IF_ERROR(set(img, F("FORMAT"), t.format));
        char id[16];
        std::snprintf(id, sizeof id, "RK-%03d", n);
        RK_RETURN_IF_ERROR(set(img, F("ID"), id));
        RK_RETURN_IF_ERROR(set(img, F("RUNTIME"), t.runtime));
        RK_RETURN_IF_ERROR(set(img, F("USER1"), t.location));
        RK_RETURN_IF_ERROR(set(img, F("RATED"), t.rated));
        RK_RETURN_IF_ERROR(set(img, F("RATING"), t.rating));
        RK_RETURN_IF_ERROR(set(img, F("SUMMARY"), t.summary));
        RK_RETURN_IF_ERROR(set(img, F("PRODUCER"), t.producer));
        RK_RETURN_IF_ERROR(set(img, F("DIRECTOR"), t.director));
        const char* starFields[] = {"STAR1", "STAR2", "STAR3", "STAR4"};
        for (int s = 0; s < 4; ++s)
            RK_RETURN_IF_ERROR(set(img, F(starFields[s]), t.stars[s]));
        RK_RETURN_IF_ERROR(set(img, F("YEAR"), t.year));
        bool homeVideo = std::string(t.content) != "Movie";
        RK_RETURN_IF_ERROR(set(img, F("SPEED"), homeVideo ? "SP - 120 Minutes" : "N/A"));
        RK_RETURN_IF_ERROR(set(img, F("SOUND"), t.sound));
        dbf::setLogical(img, F("CLOSE_CAPT"), std::string(t.content) == "Movie" && n % 3 != 0);
        RK_RETURN_IF_ERROR(set(img, F("CONTENT"), t.content));
        RK_RETURN_IF_ERROR(set(img, F("PRICE"), t.price));
        dbf::setLogical(img, F("MARKED"), t.marked);
        dbf::setLogical(img, F("MULTI_SET"), t.tapes > 1);
        // As the program writes them: a title that is no multi-set keeps no tape count.
        if (t.tapes > 1) RK_RETURN_IF_ERROR(dbf::setNumber(img, F("TAPES"), t.tapes));
        dbf::setLogical(img, F("AV_CLIP"), false);
        // The "B&W" choice is stored with a doubled ampersand.
        RK_RETURN_IF_ERROR(
            set(img, F("PICTURE"), std::string(t.picture) == "B&W" ? "B&&W" : t.picture));
        dbf::setLogical(img, F("SURROUND"), std::string(t.sound) == "Hi-Fi" && n % 2 == 0);
        auto r = titles.appendRecord(img);
        if (!r) return r.status();
        if (std::find(categories.begin(), categories.end(), t.category) == categories.end())
            categories.push_back(t.category);
    }
    RK_RETURN_IF_ERROR(titlesBatch.finish());
    titles.close();

    // One category has no titles yet.
    categories.push_back("Documentary");
    store::Table cats(findFileNoCase(dir, kCategoriesFile), {}, env);
    RK_RETURN_IF_ERROR(cats.open());
    store::Batch catsBatch(cats);
    RK_RETURN_IF_ERROR(catsBatch.status());
    for (const auto& c : categories) {
        std::string img = cats.dbf()->blankRecord();
        RK_RETURN_IF_ERROR(set(img, *cats.field("CATEGORY"), c.c_str()));
        auto r = cats.appendRecord(img);
        if (!r) return r.status();
    }
    return catsBatch.finish();
}

} // namespace rk::catalogue
