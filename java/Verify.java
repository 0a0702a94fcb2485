// The verification class that the launcher runs on a candidate Java runtime. The first line of
// its output is a fixed marker, so a program that merely exits 0 is not taken for a working JVM;
// each further line is the value of the system property named by the argument in the same
// position ("null" when the property is not set).
public class Verify {
    public static void main(String[] args) {
        System.out.println("1739021872");
        for (String name : args) {
            System.out.println(System.getProperty(name));
        }
    }
}
