#!/usr/bin/perl
# The index files that rkdb writes, read by an independent reader: Debian's Perl XBase module
# (index_dump) walks every tag in the order that `rkdb list --order TAG` prints, on the sample
# catalogue and after thousands of random appends, updates, deletes and recalls through rkdb.
# Usage: cdx_interop.pl RKDB [OPERATIONS]
use strict;
use warnings;
use File::Temp qw(tempdir);

my $rkdb = shift or die "usage: $0 RKDB [OPERATIONS]\n";
my $operations = shift // 3000;
my $dir = tempdir(CLEANUP => 1);
my $failures = 0;

sub rkdb {
    my @args = @_;
    open(my $out, '-|', $rkdb, @args) or die "cannot run $rkdb: $!\n";
    my @lines = <$out>;
    close($out);
    die "rkdb @args failed with exit code " . ($? >> 8) . "\n" if $?;
    return @lines;
}

sub first_fields { return map { (split /\t/)[0] } @_; }

# Record numbers of a tag in index_dump's walk, leaving out the records in %$hidden.
sub dumped {
    my ($cdx, $tag, $hidden) = @_;
    open(my $out, '-|', 'index_dump', '--type', 'char', '--tag', $tag, $cdx)
        or die "cannot run index_dump: $!\n";
    my @recs;
    my $previous;
    while (my $line = <$out>) {
        chomp $line;
        my ($key, $recno) = $line =~ /^(.*) (\d+)$/s or die "index_dump printed '$line'\n";
        # The keys themselves must come in byte order: an independent look at our sorting.
        if (defined $previous && $key lt $previous) {
            print "FAIL: tag $tag: key '$key' of record $recno comes after '$previous'\n";
            ++$failures;
        }
        $previous = $key;
        push @recs, $recno unless $hidden->{$recno};
    }
    close($out);
    die "index_dump --tag $tag $cdx failed\n" if $?;
    return @recs;
}

sub compare {
    my ($table, $cdx, $when, @tags) = @_;
    my %deleted;
    for (rkdb('list', $table, '--deleted')) {
        chomp;
        $deleted{(split /\t/)[0]} = 1 if /\t\*$/;
    }
    my $records = () = rkdb('list', $table, '--deleted');
    for my $tag (@tags) {
        my @ours = first_fields(rkdb('list', $table, '--order', $tag));
        chomp @ours;
        my @all = dumped($cdx, $tag, {});
        my @theirs = grep { !$deleted{$_} } @all;
        if (@all != $records) {
            print "FAIL $when: tag $tag holds " . scalar(@all) . " keys for $records records\n";
            ++$failures;
        }
        if ("@ours" ne "@theirs") {
            my $i = 0;
            ++$i while $i < @ours && $i < @theirs && $ours[$i] eq $theirs[$i];
            print "FAIL $when: tag $tag differs at position $i: rkdb ",
                ($ours[$i] // 'end'), ", index_dump ", ($theirs[$i] // 'end'), "\n";
            ++$failures;
        }
    }
    my @check = rkdb('check', $table);
    if ($check[-1] !~ /^sound/) {
        print "FAIL $when: rkdb check: @check";
        ++$failures;
    }
}

rkdb('create', $dir, '--sample');
my $video = "$dir/VIDEO.DBF";
my @tags = qw(TITIT CATEGORY DIRECT IDS YR FRMT RAT RATD CONT MULTI USE1 USE2);
compare($video, "$dir/VIDEO.CDX", 'sample', @tags);
compare("$dir/Cats.dbf", "$dir/Cats.CDX", 'sample', 'CAT');

srand(20261207);
my @words = ('Alien', 'alien', 'ALIENS', 'Zoo', 'zebra', "\x{c9}mile", "\x{e9}mile", 'B&W',
             'The', 'the', 'Day', 'Night', '12', '9', "Se\x{f1}or", 'Ode');
sub words {
    my $n = 1 + int(rand(shift));
    return join ' ', map { $words[int(rand(@words))] } 1 .. $n;
}
sub utf8 { my $s = shift; utf8::encode($s); return $s; }
sub random_fields {
    my @f = ('TITLE=' . words(4), 'CATEGORY=' . words(1), 'DIRECTOR=' . words(2),
             'ID=' . int(rand(80)), 'YEAR=' . (1950 + int(rand(5))), 'FORMAT=' . words(1),
             'RATING=' . (rand() < 0.5 ? 'Good' : 'good'), 'RATED=' . (rand() < 0.5 ? 'PG' : ''),
             'CONTENT=' . (rand() < 0.5 ? 'Movie' : 'Television'),
             'MULTI_SET=' . (rand() < 0.5 ? 'T' : 'F'), 'USER1=' . words(3),
             'USER2=' . (rand() < 0.3 ? words(1) : ''));
    return map { utf8($_) } @f;
}

my $count = () = rkdb('list', $video, '--deleted');
for my $op (1 .. $operations) {
    my $r = rand();
    if ($r < 0.4 || $count == 0) {
        rkdb('append', $video, random_fields());
        ++$count;
    } elsif ($r < 0.8) {
        my @f = random_fields();
        my @some = grep { rand() < 0.3 } @f;
        @some = ($f[0]) unless @some;
        rkdb('update', $video, 1 + int(rand($count)), @some);
    } elsif ($r < 0.93) {
        rkdb('delete', $video, 1 + int(rand($count)));
    } else {
        rkdb('recall', $video, 1 + int(rand($count)));
    }
    compare($video, "$dir/VIDEO.CDX", "after $op operations", @tags)
        if $op % 500 == 0 || $op == $operations;
}

print $failures ? "$failures failures\n" : "index_dump agrees with rkdb on every tag\n";
exit($failures ? 1 : 0);
